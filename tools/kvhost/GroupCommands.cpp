// groups, group-create, group-delete and feed.
#include "Commands.h"

namespace kvhost {

Outcome runGroups(Context& c) {
  const Invocation& inv = c.invocation;
  W::WPerson person;
  person.setUID(inv.text("person"));
  const auto index = static_cast<W::UINT32>(inv.number("index", 0));
  const auto count = static_cast<W::UINT32>(inv.number("count", 0));
  const auto sort = static_cast<W::KV_OPTION_SORT>(inv.number("sort", 0));
  const auto include = static_cast<W::KV_OPTION_INCLUDE>(inv.number("include", 0));
  return c.driver.run("groups", [&](void* ud) {
    return c.provider.retrieveGroupList(person, &callbacks::onGroupList, index, count, sort,
                                        include, ud);
  });
}

Outcome runGroupCreate(Context& c) {
  W::WGroup group;
  group.setName(c.invocation.arg(0));
  group.setDescription(c.invocation.text("desc"));
  const W::WPerson me;  // empty UID: the logged-in user
  return c.driver.run("group-create", [&](void* ud) {
    return c.provider.createGroup(group, me, &callbacks::onGroup, ud);
  });
}

Outcome runGroupDelete(Context& c) {
  return runOnUID(c, "group-delete", &W::WKinvaleOAI::deleteGroup, &callbacks::onGroup);
}

Outcome runFeed(Context& c) {
  const Invocation& inv = c.invocation;
  W::WGroup group;
  group.setUID(inv.arg(0));
  const std::string before = inv.text("before");
  const std::string after = inv.text("after");
  const auto count = static_cast<W::UINT32>(inv.number("count", 0));
  const auto base = static_cast<W::KV_SEARCH_BASE>(inv.number("base", 0));
  const auto item = static_cast<W::KV_OPTION_ITEM>(inv.number("item", 0));
  const auto include = static_cast<W::KV_OPTION_INCLUDE>(inv.number("include", 0));
  return c.driver.run("feed", [&](void* ud) {
    return c.provider.retrieveGroupFeeds(group, before, after, count, base, item, include,
                                         &callbacks::onContentList, ud);
  });
}

}  // namespace kvhost
