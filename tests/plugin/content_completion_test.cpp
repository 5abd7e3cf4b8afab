// Completion of the content view, deletion and update commands: the status,
// the record the caller receives, and the cancel protocol. (Creation is
// completed in content_upload_loopback_test.)
#include <gtest/gtest.h>

#include "OperationTestSupport.h"
#include "content/ContentCommands.h"

namespace {

using kvtest::okAnswer;

class ContentCompletion : public kvtest::CapturedProvider {
 protected:
  kvtest::Seen seen;
};

W::WContent requested() {
  W::WContent c = kvtest::contentWithUID("c-1");
  c.setDescription("as asked");
  return c;
}

TEST_F(ContentCompletion, ViewHandsBackTheParsedContentOrTheRequestedOne) {
  struct Row {
    const char* name;
    W::SESSION_STATUS session;
    int code;
    std::string payload;
    W::WSTATUS status;
    const char* description;
  };
  const Row rows[] = {
      {"parsed", 0, 200,
       okAnswer("<contentId>c-1</contentId><contentDesc>from service</contentDesc>"), 0,
       "from service"},
      {"first of two", 0, 200,
       okAnswer("<content contentId=\"a\"><contentDesc>first</contentDesc></content>"
                "<content contentId=\"b\"><contentDesc>second</contentDesc></content>"),
       0, "first"},
      {"nothing parsed", 0, 200, okAnswer(""), 0, "as asked"},
      {"fail", 0, 200, kvtest::failAnswer(), -16, "as asked"},
      {"404", 0, 404, okAnswer("<contentId>x</contentId>"), -205, "as asked"},
      {"session failure", 81, 0, "", -108, "as asked"},
  };
  int calls = 0;
  for (const Row& row : rows) {
    ASSERT_EQ(oai->viewContent(requested(), &kvtest::onContent, &seen), 0);
    executor.completeLast(row.session, row.code, row.payload);
    ASSERT_EQ(seen.callCount(), ++calls) << row.name;
    EXPECT_EQ(seen.status, row.status) << row.name;
    EXPECT_EQ(seen.content.getDescription(), row.description) << row.name;
  }
  EXPECT_EQ(oai->pendingCommands(), 0u);
}

TEST_F(ContentCompletion, DeletionHandsBackTheRequestedContent) {
  struct Row {
    int code;
    std::string payload;
    W::WSTATUS status;
  };
  const Row rows[] = {
      {200, okAnswer("<contentId>other</contentId><contentDesc>x</contentDesc>"), 0},
      {200, "<rsp/>", -16},
      {412, "", -203},
  };
  int calls = 0;
  for (const Row& row : rows) {
    ASSERT_EQ(oai->deleteContent(requested(), &kvtest::onContent, &seen), 0);
    executor.completeLast(0, row.code, row.payload);
    ASSERT_EQ(seen.callCount(), ++calls);
    EXPECT_EQ(seen.status, row.status) << row.code;
    EXPECT_EQ(seen.content.getUID(), "c-1");
    EXPECT_EQ(seen.content.getDescription(), "as asked");
  }
}

TEST_F(ContentCompletion, UpdateCommandHandsBackContentAndText) {
  // No operation of the provider creates this command; its handler is
  // reached through the dispatcher like every other.
  W::ContentUpdateCMD cmd(oai->getContentProvider());
  cmd.setCMDKey(W::KV_CMD_CONTENT_UPDATE);
  cmd.content = requested();
  cmd.text = "new words";
  cmd.callback = &kvtest::onContentUpdated;
  cmd.userData = &seen;
  cmd.pOAI = oai.get();
  oai->addCMD(&cmd);
  W::HttpResponse response;
  response.setHttpResponseCode(200);
  response.setPayload(okAnswer("<contentId>c-1</contentId>"));
  W::WKVOAI::cbFnRequestCompleted(0, response, &cmd);
  ASSERT_EQ(seen.callCount(), 1);
  EXPECT_EQ(seen.status, 0);
  EXPECT_EQ(seen.content.getDescription(), "as asked");
  EXPECT_EQ(seen.text, "new words");
  EXPECT_EQ(oai->pendingCommands(), 0u);
}

TEST_F(ContentCompletion, CancelledViewTellsOnlyTheCancelCallback) {
  kvtest::Seen cancelled;
  ASSERT_EQ(oai->viewContent(requested(), &kvtest::onContent, &cancelled), 0);
  completeCancelled(cancelled, 200, okAnswer("<contentId>c-1</contentId>"));
}

TEST_F(ContentCompletion, WithoutCallbackNothingIsCalledAndTheCancelIsForgotten) {
  ASSERT_EQ(oai->deleteContent(requested(), nullptr, nullptr), 0);
  completeCancelledWithoutCallback(okAnswer(""));
}

}  // namespace
