// group.list paging and record shape, group creation and deletion with its
// 403 refusals and cascade.
#include <cstring>

#include "KvsimTestSupport.h"

namespace kvsim_test {
namespace {

using GroupsTest = ServerFixture;

// The groupId values of a group.list answer, in order (attribute or child form).
std::vector<std::string> groupIds(const std::string& body) {
  std::vector<std::string> ids;
  for (size_t at = body.find("<group"); at != std::string::npos; at = body.find("<group", at + 1)) {
    const char next = body[at + 6];
    std::string open = next == ' ' ? " groupId=\"" : next == '>' ? "><groupId>" : "";
    if (open.empty() || body.compare(at + 6, open.size(), open) != 0) continue;
    size_t start = at + 6 + open.size();
    ids.push_back(body.substr(start, body.find_first_of("\"<", start) - start));
  }
  return ids;
}

class EmptyGroupsTest : public ServerFixture {
 protected:
  void SetUp() override {
    kvsim::ServerConfig config;
    config.seed = false;
    startServer(std::move(config));
  }
};

TEST_F(EmptyGroupsTest, CreatedGroupHasTheExactRecordShape) {
  auto created = post("me/group.create", "group_name=Our+%26+Co&group_desc=A+%3Cb%3E");
  ASSERT_TRUE(created);
  ASSERT_EQ(created->status, 200);
  const std::string b = base();
  const std::string record =
      "<group><groupId>g1</groupId><groupName>Our &amp; Co</groupName>"
      "<groupDesc>A &lt;b&gt;</groupDesc><totalContentCount>0</totalContentCount>"
      "<photoCount>0</photoCount><audioCount>0</audioCount><videoCount>0</videoCount>"
      "<commentCount>0</commentCount><groupImage><groupImageUrl>" +
      b + "/media/groups/g1/image.png</groupImageUrl><thumbnail><groupImageThumbnail_274X204>" + b +
      "/media/groups/g1/thumb_274X204.png</groupImageThumbnail_274X204></thumbnail></groupImage>"
      "<groupMaster><userId>u1</userId><userName>Alex Kim</userName><userImage><thumbnail>"
      "<userImageThumbnail_72X72>" +
      b +
      "/media/users/u1/picture_72X72.png</userImageThumbnail_72X72></thumbnail></userImage>"
      "</groupMaster></group>";
  EXPECT_EQ(created->body,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rsp><result><stat>ok</stat>"
            "<desc>created</desc></result><data>" +
                record + "</data></rsp>");
  auto listed =
      get("me/group.list?search_index=0&search_count=10&option_sort=alphabetical&"
          "option_include=none");
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->body,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rsp><result><stat>ok</stat>"
            "<desc>ok</desc></result><data>" +
                record + "</data></rsp>");
}

TEST_F(EmptyGroupsTest, ListAnswersFromZeroToIndexPlusCountAndOneMore) {
  for (const char* name : {"Alpha", "Bravo", "Charlie", "Delta"}) {
    ASSERT_EQ(post("me/group.create", std::string("group_name=") + name)->status, 200);
  }
  struct Row {
    const char* query;
    std::vector<std::string> ids;
  } rows[] = {
      {"search_index=0&search_count=1&option_sort=alphabetical&option_include=none", {"g1", "g2"}},
      {"search_index=1&search_count=1&option_sort=alphabetical&option_include=none",
       {"g1", "g2", "g3"}},
      {"search_index=2&search_count=1&option_sort=alphabetical&option_include=none",
       {"g1", "g2", "g3", "g4"}},
      {"search_index=3&search_count=1&option_sort=alphabetical&option_include=none",
       {"g1", "g2", "g3", "g4"}},
      {"search_index=0&search_count=4&option_sort=alphabetical&option_include=none",
       {"g1", "g2", "g3", "g4"}},
      {"search_index=0&search_count=3&option_sort=created_time&option_include=usage&",
       {"g4", "g3", "g2", "g1"}},
      {"search_index=0&search_count=2&option_sort=recent_used&&option_include=creator,member,"
       "usage,new",
       {"g4", "g3", "g2"}},
      // No search_count: 10.
      {"search_index=0&option_sort=alphabetical", {"g1", "g2", "g3", "g4"}},
  };
  for (const Row& r : rows) {
    auto res = get(std::string("me/group.list?") + r.query);
    ASSERT_TRUE(res) << r.query;
    ASSERT_EQ(res->status, 200) << r.query;
    EXPECT_EQ(groupIds(dataOf(res->body)), r.ids) << r.query;
  }
}

TEST_F(EmptyGroupsTest, BadListParametersAreRefusedWithError105) {
  for (const char* query :
       {"option_sort=size", "option_include=everything", "option_include=usage,all"}) {
    auto res = get(std::string("me/group.list?") + query);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 403) << query;
    EXPECT_EQ(res->body.substr(0, 10), "Error=105\n") << query;
  }
}

TEST_F(GroupsTest, SeedGroupsUseChildAndAttributeForms) {
  auto res =
      get("me/group.list?search_index=0&search_count=1&option_sort=alphabetical&"
          "option_include=none");
  ASSERT_TRUE(res);
  const std::string data = dataOf(res->body);
  EXPECT_EQ(groupIds(data), (std::vector<std::string>{"g1", "g2"}));
  EXPECT_NE(data.find("<group><groupId>g1</groupId><groupName>Family</groupName>"),
            std::string::npos);
  EXPECT_NE(data.find("<totalContentCount>38</totalContentCount><photoCount>34</photoCount>"
                      "<audioCount>1</audioCount><videoCount>1</videoCount>"
                      "<commentCount>4</commentCount>"),
            std::string::npos);
  EXPECT_NE(data.find("<group groupId=\"g2\" groupName=\"Grandparents\" groupDesc=\"News for "
                      "Grandma &lt;Rose&gt; and Grandpa &quot;Joe&quot;\" totalContentCount=\"3\""),
            std::string::npos);
}

TEST_F(GroupsTest, OtherPersonsGroupsAndUnknownPersons) {
  auto res = get("u2/group.list?search_index=0&search_count=10");
  ASSERT_TRUE(res);
  EXPECT_EQ(groupIds(dataOf(res->body)), (std::vector<std::string>{"g1"}));
  EXPECT_EQ(get("u77/group.list?search_index=0")->status, 404);
}

TEST_F(GroupsTest, CreationFailuresAndRefusals) {
  auto empty = post("me/group.create", "group_name=");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->status, 200);
  EXPECT_NE(empty->body.find("<stat>fail</stat>"), std::string::npos);
  EXPECT_EQ(post("u3/group.create", "group_name=Mine")->status, 403);
  auto own = post("u1/group.create", "group_name=Mine");
  EXPECT_EQ(own->status, 200);
  EXPECT_NE(own->body.find("<groupId>g3</groupId>"), std::string::npos);
}

TEST_F(GroupsTest, DeletionRefusalsCarryErrorLines) {
  struct Row {
    const char* body;
    int status;
    const char* start;
  } rows[] = {
      {"groupID=g2", 403, "Error=203\n"},  // u1 is not the master of g2
      {"groupID=g99", 403, "Error=204\n"},
      {"", 200, "<?xml"},  // no group named: a service-level failure
  };
  for (const Row& r : rows) {
    auto res = post("me/group.delete", r.body);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, r.status) << r.body;
    EXPECT_EQ(res->body.compare(0, std::strlen(r.start), r.start), 0) << res->body;
  }
  EXPECT_NE(post("me/group.delete", "")->body.find("<stat>fail</stat>"), std::string::npos);
}

TEST_F(GroupsTest, DeletingAGroupTakesItsContentsCommentsAndMediaAlong) {
  ASSERT_EQ(get("c1001/view")->status, 200);
  auto res = post("me/group.delete", "groupID=g1");
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  EXPECT_EQ(dataOf(res->body), "<groupId>g1</groupId>");
  EXPECT_EQ(get("c1001/view")->status, 404);
  EXPECT_EQ(get("m2001/view")->status, 404);
  EXPECT_EQ(get("g1/feeds?&search_before=0")->status, 404);
  EXPECT_EQ(m_client->Get("/media/contents/c1001/photo.jpg")->status, 404);
  EXPECT_EQ(m_client->Get("/media/groups/g1/image.png")->status, 404);
  EXPECT_EQ(groupIds(dataOf(get("me/group.list?search_index=0")->body)),
            (std::vector<std::string>{"g2"}));
  EXPECT_EQ(get("c1039/view")->status, 200);
}

}  // namespace
}  // namespace kvsim_test
