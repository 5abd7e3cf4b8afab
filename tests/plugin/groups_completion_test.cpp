// Completion of the group list, group creation and deletion, feed and
// gallery commands: the status (with the more-pages rule), the records the
// caller receives, and who is told when a cancel came first.
#include <gtest/gtest.h>

#include "OperationTestSupport.h"
#include "groups/GroupCommands.h"

namespace {

using kvtest::okAnswer;

std::string groupsAnswer(int n) {
  std::string data;
  for (int i = 0; i < n; ++i) data += "<group groupId=\"g" + std::to_string(i) + "\"/>";
  return okAnswer(data);
}

std::string contentsAnswer(int n) {
  std::string data;
  for (int i = 0; i < n; ++i) data += "<content contentId=\"c" + std::to_string(i) + "\"/>";
  return okAnswer(data);
}

class GroupCompletion : public kvtest::CapturedProvider {
 protected:
  // Starts a group list for person "p-1" and completes it.
  void listGroups(W::UINT32 index, W::UINT32 count, W::SESSION_STATUS session, int code,
                  const std::string& payload) {
    ASSERT_EQ(oai->retrieveGroupList(kvtest::personWithUID("p-1"), &kvtest::onGroupList, index,
                                     count, W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_NONE, &seen),
              0);
    executor.completeLast(session, code, payload);
  }
  void readFeed(W::UINT32 count, int code, const std::string& payload) {
    ASSERT_EQ(
        oai->retrieveGroupFeeds(kvtest::groupWith("g-1"), "10", "", count, W::KV_BASE_CREATED_TIME,
                                W::KV_ITEM_ALL, W::KV_INCLUDE_NONE, &kvtest::onContentList, &seen),
        0);
    executor.completeLast(0, code, payload);
  }

  kvtest::Seen seen;
};

TEST_F(GroupCompletion, GroupListStatusFollowsThePageAndTheAnswer) {
  struct Row {
    const char* name;
    W::UINT32 index;
    W::UINT32 count;
    W::SESSION_STATUS session;
    int code;
    std::string payload;
    W::WSTATUS status;
    size_t groups;
  };
  const Row rows[] = {
      {"12 for 0+10", 0, 10, 0, 200, groupsAnswer(12), 100, 12},
      {"10 for 0+10", 0, 10, 0, 200, groupsAnswer(10), 0, 10},
      {"12 for 2+10", 2, 10, 0, 200, groupsAnswer(12), 0, 12},
      // A count of 0 asks the service for its page of 10.
      {"3 for 0+0", 0, 0, 0, 200, groupsAnswer(3), 0, 3},
      {"10 for 0+0", 0, 0, 0, 200, groupsAnswer(10), 0, 10},
      {"11 for 0+0", 0, 0, 0, 200, groupsAnswer(11), 100, 11},
      // index + count is summed without wrapping past 2^32.
      {"index near 2^32", 0xFFFFFFFFu, 2, 0, 200, groupsAnswer(3), 0, 3},
      {"index 4294967287, count 10", 4294967287u, 10, 0, 200, groupsAnswer(3), 0, 3},
      {"fail", 0, 10, 0, 200, kvtest::failAnswer(), -16, 0},
      {"not xml", 0, 10, 0, 200, "<<", -16, 0},
      {"403 has no special case", 0, 10, 0, 403, "Error=206\n", -205, 0},
      {"404", 0, 10, 0, 404, groupsAnswer(2), -205, 0},
      {"500", 0, 10, 0, 500, groupsAnswer(2), -107, 0},
      {"session failure", 0, 10, 42, 200, groupsAnswer(2), -105, 0},
  };
  int calls = 0;
  for (const Row& row : rows) {
    listGroups(row.index, row.count, row.session, row.code, row.payload);
    ASSERT_EQ(seen.callCount(), ++calls) << row.name;
    EXPECT_EQ(seen.status, row.status) << row.name;
    EXPECT_EQ(seen.groups.size(), row.groups) << row.name;
    EXPECT_EQ(seen.person.getUID(), "p-1") << row.name;
  }
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
}

TEST_F(GroupCompletion, CreationHandsBackTheGroupTheServiceMade) {
  struct Row {
    const char* name;
    int code;
    std::string payload;
    W::WSTATUS status;
    const char* uid;
    const char* groupName;
  };
  const Row rows[] = {
      {"full group", 200, okAnswer("<group groupId=\"g-9\"><groupName>Made</groupName></group>"), 0,
       "g-9", "Made"},
      {"only its id", 200, okAnswer("<groupId>g-10</groupId>"), 0, "g-10", ""},
      {"empty data", 200, okAnswer(""), 0, "", "Wanted"},
      {"fail", 200, kvtest::failAnswer(), -16, "", "Wanted"},
      {"409", 409, "", -203, "", "Wanted"},
  };
  int calls = 0;
  for (const Row& row : rows) {
    ASSERT_EQ(
        oai->createGroup(kvtest::groupWith("", "Wanted"), W::WPerson(), &kvtest::onGroup, &seen),
        0);
    executor.completeLast(0, row.code, row.payload);
    ASSERT_EQ(seen.callCount(), ++calls) << row.name;
    EXPECT_EQ(seen.status, row.status) << row.name;
    EXPECT_EQ(seen.group.getUID(), row.uid) << row.name;
    EXPECT_EQ(seen.group.getName(), row.groupName) << row.name;
  }
}

TEST_F(GroupCompletion, DeletionAlwaysHandsBackTheCallersGroup) {
  struct Row {
    int code;
    std::string payload;
    W::WSTATUS status;
  };
  const Row rows[] = {
      {200, okAnswer("<group groupId=\"other\"/>"), 0},
      {200, groupsAnswer(20), 0},
      {200, kvtest::failAnswer(), -16},
      {401, "", -202},
  };
  int calls = 0;
  for (const Row& row : rows) {
    ASSERT_EQ(oai->deleteGroup(kvtest::groupWith("g-1", "Mine"), &kvtest::onGroup, &seen), 0);
    executor.completeLast(0, row.code, row.payload);
    ASSERT_EQ(seen.callCount(), ++calls);
    EXPECT_EQ(seen.status, row.status) << row.code;
    EXPECT_EQ(seen.group.getUID(), "g-1");
    EXPECT_EQ(seen.group.getName(), "Mine");
  }
}

TEST_F(GroupCompletion, FeedStatusComparesThePageAskedFor) {
  struct Row {
    W::UINT32 count;
    int code;
    std::string payload;
    W::WSTATUS status;
    size_t contents;
  };
  const Row rows[] = {
      {30, 200, contentsAnswer(31), 100, 31},
      {30, 200, contentsAnswer(30), 0, 30},
      {2, 200, contentsAnswer(1), 0, 1},
      {2, 200, kvtest::failAnswer(), -16, 0},
      {2, 410, contentsAnswer(5), -205, 0},
      // A count of 0 asks the service for its page of 30.
      {0, 200, contentsAnswer(30), 0, 30},
      {0, 200, contentsAnswer(31), 100, 31},
  };
  int calls = 0;
  for (const Row& row : rows) {
    readFeed(row.count, row.code, row.payload);
    ASSERT_EQ(seen.callCount(), ++calls);
    EXPECT_EQ(seen.status, row.status) << row.count << " " << row.code;
    EXPECT_EQ(seen.contents.size(), row.contents) << row.count << " " << row.code;
  }
}

TEST_F(GroupCompletion, GalleryCommandCompletesWithContents) {
  // No operation of the provider creates this command; its handler is
  // reached through the dispatcher like every other.
  struct Row {
    int code;
    std::string payload;
    W::WSTATUS status;
    size_t contents;
  };
  const Row rows[] = {
      {200, contentsAnswer(3), 100, 3},
      {200, contentsAnswer(2), 0, 2},
      {404, contentsAnswer(3), -205, 0},
  };
  int calls = 0;
  for (const Row& row : rows) {
    W::GroupGalleryRetrievalCMD cmd(oai->getContentProvider());
    cmd.setCMDKey(W::KV_CMD_GROUP_GALLERY);
    cmd.count = 2;
    cmd.callback = &kvtest::onContentList;
    cmd.userData = &seen;
    cmd.pOAI = oai.get();
    oai->addCMD(&cmd);
    W::HttpResponse response;
    response.setHttpResponseCode(row.code);
    response.setPayload(row.payload);
    W::WKVOAI::cbFnRequestCompleted(0, response, &cmd);
    ASSERT_EQ(seen.callCount(), ++calls);
    EXPECT_EQ(seen.status, row.status);
    EXPECT_EQ(seen.contents.size(), row.contents);
    EXPECT_EQ(oai->pendingCommands(), 0u);
  }
}

TEST_F(GroupCompletion, CancelledListTellsOnlyTheCancelCallback) {
  kvtest::Seen cancelled;
  ASSERT_EQ(oai->retrieveGroupList(W::WPerson(), &kvtest::onGroupList, 0, 10,
                                   W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_NONE, &cancelled),
            0);
  completeCancelled(cancelled, 200, groupsAnswer(3));
}

TEST_F(GroupCompletion, WithoutCallbackTheCancelIsForgotten) {
  ASSERT_EQ(oai->deleteGroup(kvtest::groupWith("g-1"), nullptr, nullptr), 0);
  completeCancelledWithoutCallback(okAnswer(""));
}

}  // namespace
