// The wire form of the group list, group creation and deletion and feed
// requests: exact URLs, queries, methods, headers and bodies.
#include <gtest/gtest.h>

#include "OperationTestSupport.h"

namespace {

using kvtest::CapturedProvider;
using W::HTTP_GET;
using W::HTTP_POST;

using kvtest::kSigned;

class GroupRequests : public CapturedProvider {};

TEST_F(GroupRequests, GroupListQueryFollowsPersonPageSortAndInclude) {
  struct Row {
    const char* person;
    W::UINT32 index;
    W::UINT32 count;
    int sort;
    int include;
    const char* resource;
  };
  const Row rows[] = {
      {"", 0, 0, 0, 0,
       "me/group.list?search_index=0&search_count=10&option_sort=alphabetical&option_include=none"},
      {"p-7", 20, 5, 1, 1,
       "p-7/"
       "group.list?search_index=20&search_count=5&option_sort=created_time&option_include=usage&"},
      {"p-7", 0, 10, 2, 2,
       "p-7/"
       "group.list?search_index=0&search_count=10&option_sort=recent_used&option_include=member&"},
      {"", 3, 7, 9, 3,
       "me/"
       "group.list?search_index=3&search_count=7&option_sort=alphabetical&option_include=creator&"},
      {"", 0, 1, 0, 4,
       "me/group.list?search_index=0&search_count=1&option_sort=alphabetical&option_include=new&"},
      {"", 0, 10, 1, 5,
       "me/group.list?search_index=0&search_count=10&option_sort=created_time"
       "&&option_include=creator,member,usage,new"},
      {"", 0, 10, 0, 77,
       "me/group.list?search_index=0&search_count=10&option_sort=alphabetical&option_include=none"},
      // A UID from the caller is encoded; the fixed words stay literal.
      {"a b/c", 0, 10, 0, 0,
       "a+b%2Fc/group.list?search_index=0&search_count=10&option_sort=alphabetical"
       "&option_include=none"},
  };
  for (const Row& row : rows) {
    kvtest::Seen seen;
    ASSERT_EQ(oai->retrieveGroupList(kvtest::personWithUID(row.person), &kvtest::onGroupList,
                                     row.index, row.count, W::KV_OPTION_SORT(row.sort),
                                     W::KV_OPTION_INCLUDE(row.include), &seen),
              0)
        << row.resource;
    W::HttpRequest* request = executor.last();
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->getURL(), serviceUrl(row.resource));
    EXPECT_EQ(request->getType(), HTTP_GET);
    EXPECT_EQ(request->getBody(), "");
    EXPECT_EQ(kvtest::headerNames(request), kSigned);
  }
  EXPECT_EQ(oai->pendingCommands(), sizeof(rows) / sizeof(rows[0]));
}

TEST_F(GroupRequests, AuthorizationCarriesTheSessionCredentials) {
  kvtest::Seen seen;
  ASSERT_EQ(oai->retrieveGroupList(W::WPerson(), &kvtest::onGroupList, 0, 0,
                                   W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_NONE, &seen),
            0);
  const std::string auth = kvtest::headerOf(executor.last(), "Authorization");
  EXPECT_EQ(auth.rfind(" auth_identifier=\"KV_AUTH_V1\", app_id=\"app-1\", app_type=\"dtv\", "
                       "token=\"token-1\", token_type=\"user\", duid=\"duid-1\", signature=\"",
                       0),
            0u)
      << auth;
  EXPECT_NE(kvtest::headerOf(executor.last(), "DATE"), "<absent>");
}

TEST_F(GroupRequests, CreateGroupBodyAndOwnerPath) {
  struct Row {
    const char* person;
    const char* sessionUser;
    const char* name;
    const char* desc;
    const char* resource;
    const char* body;
  };
  const Row rows[] = {
      {"p-1", "u-9", "Family", "Our photos", "p-1/group.create",
       "group_name=Family&group_desc=Our+photos"},
      {"", "u-9", "Family", "", "u-9/group.create", "group_name=Family"},
      {"", "", "Family", "", "me/group.create", "group_name=Family"},
      {"", "", "Tom & Jerry", "100% =fun", "me/group.create",
       "group_name=Tom+%26+Jerry&group_desc=100%25+%3Dfun"},
  };
  for (const Row& row : rows) {
    oai->getService()->setUserID(row.sessionUser);
    kvtest::Seen seen;
    ASSERT_EQ(oai->createGroup(kvtest::groupWith("", row.name, row.desc),
                               kvtest::personWithUID(row.person), &kvtest::onGroup, &seen),
              0);
    W::HttpRequest* request = executor.last();
    EXPECT_EQ(request->getURL(), serviceUrl(row.resource));
    EXPECT_EQ(request->getType(), HTTP_POST);
    EXPECT_EQ(request->getBody(), row.body);
    EXPECT_EQ(kvtest::headerNames(request), kSigned);
  }
}

TEST_F(GroupRequests, DeleteGroupPostsItsUIDWithAppToken) {
  kvtest::Seen seen;
  ASSERT_EQ(oai->deleteGroup(kvtest::groupWith("g-42"), &kvtest::onGroup, &seen), 0);
  W::HttpRequest* request = executor.last();
  EXPECT_EQ(request->getURL(), serviceUrl("me/group.delete"));
  EXPECT_EQ(request->getType(), HTTP_POST);
  EXPECT_EQ(request->getBody(), "groupID=g-42");
  EXPECT_EQ(kvtest::headerNames(request),
            (std::vector<std::string>{"Authorization", "DATE", "appToken"}));
  EXPECT_EQ(kvtest::headerOf(request, "appToken"), oai->getService()->getAppToken());
}

TEST_F(GroupRequests, DeleteGroupWithoutUIDPostsAnEmptyBody) {
  kvtest::Seen seen;
  ASSERT_EQ(oai->deleteGroup(W::WGroup(), &kvtest::onGroup, &seen), 0);
  EXPECT_EQ(executor.last()->getURL(), serviceUrl("me/group.delete"));
  EXPECT_EQ(executor.last()->getBody(), "");
}

TEST_F(GroupRequests, FeedQueryStartsWithAmpersandAndFollowsTheOptions) {
  struct Row {
    const char* before;
    const char* after;
    W::UINT32 count;
    int base;
    int item;
    int include;
    const char* resource;
  };
  const Row rows[] = {
      {"10", "", 0, 0, 0, 0,
       "g-1/feeds?&search_before=10&search_count=30&search_base=created_time&option_item=all"
       "&option_include=none"},
      {"", "c-5", 12, 1, 1, 1,
       "g-1/feeds?&search_after=c-5&search_count=12&search_base=upload_time&option_item=photo"
       "&option_include=usage"},
      {"2026-12-07 10:00", "", 30, 2, 2, 2,
       "g-1/feeds?&search_before=2026-12-07+10%3A00&search_count=30&search_base=content_id"
       "&option_item=video&option_include=member"},
      {"x", "", 1, 7, 3, 3,
       "g-1/feeds?&search_before=x&search_count=1&search_base=created_time&option_item=music"
       "&option_include=creator"},
      {"x", "", 1, 0, 9, 5,
       "g-1/feeds?&search_before=x&search_count=1&search_base=created_time&option_item=all"
       "&option_include=creator,member,usage"},
  };
  for (const Row& row : rows) {
    kvtest::Seen seen;
    ASSERT_EQ(
        oai->retrieveGroupFeeds(kvtest::groupWith("g-1"), row.before, row.after, row.count,
                                W::KV_SEARCH_BASE(row.base), W::KV_OPTION_ITEM(row.item),
                                W::KV_OPTION_INCLUDE(row.include), &kvtest::onContentList, &seen),
        0);
    W::HttpRequest* request = executor.last();
    EXPECT_EQ(request->getURL(), serviceUrl(row.resource));
    EXPECT_EQ(request->getType(), HTTP_GET);
    EXPECT_EQ(request->getBody(), "");
    EXPECT_EQ(kvtest::headerNames(request), kSigned);
  }
}

TEST_F(GroupRequests, FeedRefusalsQueueNothing) {
  struct Row {
    const char* name;
    const char* group;
    const char* before;
    const char* after;
    int include;
  };
  const Row rows[] = {
      {"no position", "g-1", "", "", 0},
      {"both positions", "g-1", "10", "20", 0},
      {"no group", "", "10", "", 0},
      {"include new", "g-1", "10", "", 4},
  };
  for (const Row& row : rows) {
    kvtest::Seen seen;
    EXPECT_EQ(oai->retrieveGroupFeeds(
                  kvtest::groupWith(row.group), row.before, row.after, 0, W::KV_BASE_CREATED_TIME,
                  W::KV_ITEM_ALL, W::KV_OPTION_INCLUDE(row.include), &kvtest::onContentList, &seen),
              -1)
        << row.name;
  }
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
}

TEST_F(GroupRequests, NotLoggedInRefusesEveryGroupOperation) {
  oai->getService()->setUserCredential(nullptr, kvtest::provider());
  kvtest::Seen seen;
  EXPECT_EQ(oai->retrieveGroupList(W::WPerson(), &kvtest::onGroupList, 0, 0,
                                   W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_NONE, &seen),
            -202);
  EXPECT_EQ(oai->createGroup(kvtest::groupWith("", "n"), W::WPerson(), &kvtest::onGroup, &seen),
            -202);
  EXPECT_EQ(oai->deleteGroup(kvtest::groupWith("g"), &kvtest::onGroup, &seen), -202);
  EXPECT_EQ(
      oai->retrieveGroupFeeds(kvtest::groupWith("g"), "1", "", 0, W::KV_BASE_CREATED_TIME,
                              W::KV_ITEM_ALL, W::KV_INCLUDE_NONE, &kvtest::onContentList, &seen),
      -202);
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai->pendingCommands(), 0u);
}

TEST_F(GroupRequests, RefusedHandOverLeavesNoCommandBehind) {
  executor.refuseNext(-16);
  kvtest::Seen seen;
  EXPECT_EQ(oai->createGroup(kvtest::groupWith("", "n"), W::WPerson(), &kvtest::onGroup, &seen),
            -16);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
  EXPECT_EQ(seen.callCount(), 0);
}

TEST_F(GroupRequests, StartingAnOperationClearsAStaleCancel) {
  ASSERT_EQ(oai->cancel(kvtest::provider(), &kvtest::onCancel, nullptr), 0);
  EXPECT_TRUE(oai->isCancelRequested());
  kvtest::Seen seen;
  ASSERT_EQ(oai->deleteGroup(kvtest::groupWith("g"), &kvtest::onGroup, &seen), 0);
  EXPECT_FALSE(oai->isCancelRequested());
}

}  // namespace
