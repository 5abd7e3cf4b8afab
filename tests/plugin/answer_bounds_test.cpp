// What one answer may cost by its shape, whatever its bytes: the nodes of
// the parsed answer (max_answer_elements), the records of a list
// (max_answer_records, the rest reported as more items), and the text the
// records take from it (max_answer_bytes), also when one text is named
// again and again. Each case is a list operation completed with its answer.
#include <W/WConfigManager.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "OperationTestSupport.h"

namespace {

using kvtest::okAnswer;

enum class List { Groups, Feed, Comments };

// `n` pieces made by `piece(i)`.
template <class Piece>
std::string many(int n, Piece piece) {
  std::string out;
  for (int i = 0; i < n; ++i) out += piece(std::to_string(i));
  return out;
}

std::string groups(int n) {
  return many(n, [](const std::string& i) { return "<group groupId=\"g" + i + "\"/>"; });
}
std::string contents(int n) {
  return many(n, [](const std::string& i) { return "<content contentId=\"c" + i + "\"/>"; });
}
std::string comments(int n) {
  return many(n, [](const std::string& i) { return "<comment commentId=\"cm" + i + "\"/>"; });
}

// A feed item whose thumbnails of one size all read the first one's URL.
std::string thumbnailsNamingOneUrl(int thumbnails, size_t urlBytes) {
  return "<content contentId=\"c1\"><contentDetail><thumbnail><contentThumbnail_540X405>" +
         std::string(urlBytes, 'u') + "</contentThumbnail_540X405>" +
         many(thumbnails - 1, [](const std::string&) { return "<contentThumbnail_540X405/>"; }) +
         "</thumbnail></contentDetail></content>";
}

// A message whose member's identifier is also its picture's.
std::string messageByMember(size_t idBytes) {
  return "<group><content id=\"c1\" messageBoardID=\"m1\"><messageRegisterMember><id>" +
         std::string(idBytes, 'i') + "</id></messageRegisterMember></content></group>";
}

class AnswerBounds : public kvtest::CapturedProvider {
 protected:
  // Runs `list` against `payload` with the provider's `options` set; the
  // callback's status and record count land in `seen`.
  void complete(List list, const std::map<std::string, std::string>& options,
                const std::string& payload) {
    W::WConfigManager& config = W::WConfigManager::getInstance();
    for (const auto& option : options)
      config.setCPOption(kvtest::provider(), option.first, option.second);
    W::WSTATUS started = -1;
    switch (list) {
      case List::Groups:
        // A page as long as any list here, so that only the limits cut it.
        started = oai->retrieveGroupList(W::WPerson(), &kvtest::onGroupList, 0, 1000,
                                         W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_NONE, &seen);
        break;
      case List::Feed:
        started = oai->retrieveGroupFeeds(kvtest::groupWith("g-1"), "10", "", 1000,
                                          W::KV_BASE_CREATED_TIME, W::KV_ITEM_ALL,
                                          W::KV_INCLUDE_NONE, &kvtest::onContentList, &seen);
        break;
      case List::Comments:
        started = oai->retrieveComments(kvtest::contentWithUID("c-1"), &kvtest::onCommentList, 0,
                                        1000, &seen);
        break;
    }
    ASSERT_EQ(started, 0);
    testing::internal::CaptureStdout();
    executor.completeLast(0, 200, payload);
    testing::internal::GetCapturedStdout();
    for (const auto& option : options) config.setCPOption(kvtest::provider(), option.first, "");
  }
  size_t records(List list) const {
    switch (list) {
      case List::Groups:
        return seen.groups.size();
      case List::Feed:
        return seen.contents.size();
      case List::Comments:
        return seen.comments.size();
    }
    return 0;
  }

  kvtest::Seen seen;
};

TEST_F(AnswerBounds, NoListAnswerCostsMoreThanItsLimitsAllow) {
  struct Row {
    const char* name;
    List list;
    std::map<std::string, std::string> options;
    std::string payload;
    W::WSTATUS status;
    size_t records;
  };
  const Row rows[] = {
      {"group list cut at max_answer_records",
       List::Groups,
       {{"max_answer_records", "3"}},
       okAnswer(groups(5)),
       100,
       3},
      {"group list as long as max_answer_records",
       List::Groups,
       {{"max_answer_records", "3"}},
       okAnswer(groups(3)),
       0,
       3},
      {"a group the answer only names is a record too",
       List::Groups,
       {{"max_answer_records", "1"}},
       okAnswer(groups(1) + "<groupId>g-9</groupId>"),
       100,
       1},
      {"feed cut at max_answer_records",
       List::Feed,
       {{"max_answer_records", "3"}},
       okAnswer(contents(4)),
       100,
       3},
      {"comment list cut at max_answer_records",
       List::Comments,
       {{"max_answer_records", "3"}},
       okAnswer(comments(4)),
       100,
       3},
      {"max_answer_records 0 keeps every record",
       List::Comments,
       {{"max_answer_records", "0"}},
       okAnswer(comments(4)),
       0,
       4},
      // rsp, result, stat, desc and data, then ten groups with one attribute each.
      {"as many nodes as max_answer_elements",
       List::Groups,
       {{"max_answer_elements", "25"}},
       okAnswer(groups(10)),
       0,
       10},
      {"one node more than max_answer_elements",
       List::Groups,
       {{"max_answer_elements", "24"}},
       okAnswer(groups(10)),
       -16,
       0},
      {"one URL read by thumbnails within max_answer_bytes",
       List::Feed,
       {{"max_answer_bytes", "1000"}},
       okAnswer(thumbnailsNamingOneUrl(3, 300)),
       0,
       1},
      {"one URL read by more thumbnails than max_answer_bytes holds",
       List::Feed,
       {{"max_answer_bytes", "1000"}},
       okAnswer(thumbnailsNamingOneUrl(4, 300)),
       -16,
       0},
      {"a member's identifier twice within max_answer_bytes",
       List::Feed,
       {{"max_answer_bytes", "1000"}},
       okAnswer(messageByMember(400)),
       0,
       1},
      {"a member's identifier twice past max_answer_bytes",
       List::Feed,
       {{"max_answer_bytes", "1000"}},
       okAnswer(messageByMember(600)),
       -16,
       0},
      // Each would search "data" anew and copy what it names.
      {"a group named twice is read once",
       List::Groups,
       {},
       okAnswer("<groupId>g-9</groupId><groupId/><groupId/>"),
       0,
       1},
      {"data describing one content twice is read once",
       List::Feed,
       {},
       okAnswer("<contentId>c-5</contentId><contentId/><contentId/>"),
       0,
       1},
  };
  int calls = 0;
  for (const Row& row : rows) {
    complete(row.list, row.options, row.payload);
    ASSERT_EQ(seen.callCount(), ++calls) << row.name;
    EXPECT_EQ(seen.status, row.status) << row.name;
    EXPECT_EQ(records(row.list), row.records) << row.name;
  }
  EXPECT_EQ(oai->pendingCommands(), 0u);
}

}  // namespace
