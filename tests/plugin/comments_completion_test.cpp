// Completion of the comment list, creation, view, deletion and update
// commands: the status, the records the caller receives, and the cancel
// protocol.
#include <gtest/gtest.h>

#include "OperationTestSupport.h"
#include "content/ContentCommands.h"

namespace {

using kvtest::okAnswer;

const std::string kTwoComments = okAnswer(
    "<comment commentId=\"cm-1\"><commentText>first</commentText></comment>"
    "<comment commentId=\"cm-2\"><commentText>second</commentText></comment>");

class CommentCompletion : public kvtest::CapturedProvider {
 protected:
  kvtest::Seen seen;
};

TEST_F(CommentCompletion, ListHandsBackTheParsedComments) {
  struct Row {
    W::SESSION_STATUS session;
    int code;
    std::string payload;
    W::WSTATUS status;
    size_t comments;
  };
  const Row rows[] = {
      {0, 200, kTwoComments, 0, 2},           {0, 200, okAnswer(""), 0, 0},
      {0, 200, kvtest::failAnswer(), -16, 0}, {0, 404, kTwoComments, -205, 0},
      {42, 200, kTwoComments, -105, 0},
  };
  int calls = 0;
  for (const Row& row : rows) {
    ASSERT_EQ(
        oai->retrieveComments(kvtest::contentWithUID("c-1"), &kvtest::onCommentList, 0, 20, &seen),
        0);
    executor.completeLast(row.session, row.code, row.payload);
    ASSERT_EQ(seen.callCount(), ++calls);
    EXPECT_EQ(seen.status, row.status) << row.code;
    ASSERT_EQ(seen.comments.size(), row.comments) << row.code;
  }
}

TEST_F(CommentCompletion, ListedCommentsArriveInDocumentOrder) {
  ASSERT_EQ(
      oai->retrieveComments(kvtest::contentWithUID("c-1"), &kvtest::onCommentList, 0, 0, &seen), 0);
  executor.completeLast(0, 200, kTwoComments);
  ASSERT_EQ(seen.comments.size(), 2u);
  EXPECT_EQ(seen.comments[0].getComment(), "first");
  EXPECT_EQ(seen.comments[1].getComment(), "second");
}

TEST_F(CommentCompletion, CreationHandsBackTheCallersCommentAndItsUID) {
  struct Row {
    int code;
    std::string payload;
    W::WSTATUS status;
  };
  const Row rows[] = {{200, kTwoComments, 0}, {200, "x", -16}, {403, "", -205}};
  int calls = 0;
  for (const Row& row : rows) {
    ASSERT_EQ(oai->createComment(kvtest::contentWithUID("c-1"), kvtest::commentWith("mine", "hi"),
                                 &kvtest::onCommentText, &seen),
              0);
    executor.completeLast(0, row.code, row.payload);
    ASSERT_EQ(seen.callCount(), ++calls);
    EXPECT_EQ(seen.status, row.status) << row.code;
    EXPECT_EQ(seen.comment.getComment(), "hi");
    EXPECT_EQ(seen.text, "mine");
  }
}

TEST_F(CommentCompletion, ViewHandsBackTheFirstParsedCommentOrTheRequestedOne) {
  struct Row {
    int code;
    std::string payload;
    W::WSTATUS status;
    const char* text;
  };
  const Row rows[] = {
      {200, kTwoComments, 0, "first"},
      {200, okAnswer(""), 0, "asked"},
      {200, kvtest::failAnswer(), -16, "asked"},
      {500, kTwoComments, -107, "asked"},
  };
  int calls = 0;
  for (const Row& row : rows) {
    ASSERT_EQ(oai->viewComment(kvtest::commentWith("cm-9", "asked"), &kvtest::onCommentText, &seen),
              0);
    executor.completeLast(0, row.code, row.payload);
    ASSERT_EQ(seen.callCount(), ++calls);
    EXPECT_EQ(seen.status, row.status) << row.code;
    EXPECT_EQ(seen.comment.getComment(), row.text) << row.code;
    EXPECT_EQ(seen.text, "cm-9") << "the requested comment's UID";
  }
}

TEST_F(CommentCompletion, DeletionAndUpdateHandBackTheCallersComment) {
  ASSERT_EQ(oai->deleteComment(kvtest::commentWith("cm-9", "bye"), &kvtest::onComment, &seen), 0);
  executor.completeLast(0, 200, kTwoComments);
  ASSERT_EQ(seen.callCount(), 1);
  EXPECT_EQ(seen.status, 0);
  EXPECT_EQ(seen.comment.getUID(), "cm-9");
  EXPECT_EQ(seen.comment.getComment(), "bye");

  // No operation creates the update command; its handler is reached
  // through the dispatcher like every other.
  W::CommentUpdateCMD cmd(oai->getContentProvider());
  cmd.setCMDKey(W::KV_CMD_COMMENT_UPDATE);
  cmd.comment = kvtest::commentWith("cm-8", "changed");
  cmd.callback = &kvtest::onComment;
  cmd.userData = &seen;
  cmd.pOAI = oai.get();
  oai->addCMD(&cmd);
  W::HttpResponse response;
  response.setHttpResponseCode(404);
  W::WKVOAI::cbFnRequestCompleted(0, response, &cmd);
  ASSERT_EQ(seen.callCount(), 2);
  EXPECT_EQ(seen.status, -205);
  EXPECT_EQ(seen.comment.getUID(), "cm-8");
  EXPECT_EQ(oai->pendingCommands(), 0u);
}

TEST_F(CommentCompletion, CancelledCommentOperationsTellOnlyTheCancelCallback) {
  kvtest::Seen listing, creating, viewing;
  ASSERT_EQ(
      oai->retrieveComments(kvtest::contentWithUID("c-1"), &kvtest::onCommentList, 0, 0, &listing),
      0);
  completeCancelled(listing, 200, kTwoComments);
  ASSERT_EQ(oai->createComment(kvtest::contentWithUID("c-1"), kvtest::commentWith("", "t"),
                               &kvtest::onCommentText, &creating),
            0);
  completeCancelled(creating, 404, "");
  ASSERT_EQ(oai->viewComment(kvtest::commentWith("cm-1"), &kvtest::onCommentText, &viewing), 0);
  completeCancelled(viewing, 200, kTwoComments);
}

TEST_F(CommentCompletion, WithoutCallbackTheCancelIsForgotten) {
  ASSERT_EQ(oai->deleteComment(kvtest::commentWith("cm-1"), nullptr, nullptr), 0);
  completeCancelledWithoutCallback(kTwoComments);
}

}  // namespace
