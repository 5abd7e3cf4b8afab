// The wire form of the comment requests: exact URLs, queries, methods,
// headers and bodies, and the checks that refuse a request before it goes.
#include <gtest/gtest.h>

#include "OperationTestSupport.h"

namespace {

using W::HTTP_GET;
using W::HTTP_POST;

using kvtest::kSigned;

class CommentRequests : public kvtest::CapturedProvider {};

TEST_F(CommentRequests, CommentListQueryWithAndWithoutCount) {
  struct Row {
    W::UINT32 index;
    W::UINT32 count;
    const char* resource;
  };
  const Row rows[] = {
      {0, 20, "c-1/comment.list?search_index=0&search_count=20"},
      {40, 0, "c-1/comment.list?search_index=40&"},
      {0, 0, "c-1/comment.list?search_index=0&"},
  };
  for (const Row& row : rows) {
    kvtest::Seen seen;
    ASSERT_EQ(oai->retrieveComments(kvtest::contentWithUID("c-1"), &kvtest::onCommentList,
                                    row.index, row.count, &seen),
              0);
    W::HttpRequest* request = executor.last();
    EXPECT_EQ(request->getURL(), serviceUrl(row.resource));
    EXPECT_EQ(request->getType(), HTTP_GET);
    EXPECT_EQ(request->getBody(), "");
    EXPECT_EQ(kvtest::headerNames(request), kSigned);
  }
}

TEST_F(CommentRequests, CreateCommentSendsOnlyTheAppTokenAndAnEncodedText) {
  struct Row {
    const char* text;
    const char* body;
  };
  const Row rows[] = {
      {"Nice-shot_1.~", "commentText=Nice-shot_1.~"},
      {"Tom & Jerry = 100%", "commentText=Tom+%26+Jerry+%3D+100%25"},
  };
  for (const Row& row : rows) {
    kvtest::Seen seen;
    ASSERT_EQ(oai->createComment(kvtest::contentWithUID("c-1"), kvtest::commentWith("", row.text),
                                 &kvtest::onCommentText, &seen),
              0);
    W::HttpRequest* request = executor.last();
    EXPECT_EQ(request->getURL(), serviceUrl("c-1/comment"));
    EXPECT_EQ(request->getType(), HTTP_POST);
    EXPECT_EQ(request->getBody(), row.body);
    EXPECT_EQ(kvtest::headerNames(request), std::vector<std::string>{"appToken"});
    EXPECT_EQ(kvtest::headerOf(request, "appToken"), oai->getService()->getAppToken());
  }
}

TEST_F(CommentRequests, ViewAndDeleteAddressTheComment) {
  kvtest::Seen seen;
  ASSERT_EQ(oai->viewComment(kvtest::commentWith("cm-1"), &kvtest::onCommentText, &seen), 0);
  EXPECT_EQ(executor.last()->getURL(), serviceUrl("cm-1/view"));
  EXPECT_EQ(executor.last()->getType(), HTTP_GET);
  EXPECT_EQ(kvtest::headerNames(executor.last()), kSigned);
  ASSERT_EQ(oai->deleteComment(kvtest::commentWith("cm/2"), &kvtest::onComment, &seen), 0);
  EXPECT_EQ(executor.last()->getURL(), serviceUrl("cm%2F2/delete"));
  EXPECT_EQ(executor.last()->getType(), HTTP_POST);
  EXPECT_EQ(executor.last()->getBody(), "");
  EXPECT_EQ(kvtest::headerNames(executor.last()), kSigned);
  EXPECT_EQ(oai->pendingCommands(), 2u);
}

TEST_F(CommentRequests, EntryChecksRefuseWithoutSending) {
  kvtest::Seen seen;
  EXPECT_EQ(oai->retrieveComments(W::WContent(), &kvtest::onCommentList, 0, 0, &seen), -1);
  EXPECT_EQ(oai->createComment(kvtest::contentWithUID("c-1"), kvtest::commentWith("", ""),
                               &kvtest::onCommentText, &seen),
            -1);
  EXPECT_EQ(oai->createComment(W::WContent(), kvtest::commentWith("", "hi"), &kvtest::onCommentText,
                               &seen),
            -1);
  EXPECT_EQ(oai->viewComment(W::WComment(), &kvtest::onCommentText, &seen), -1);
  EXPECT_EQ(oai->deleteComment(W::WComment(), &kvtest::onComment, &seen), -1);
  EXPECT_EQ(oai->updateComment(kvtest::commentWith("cm-1", "x"), &kvtest::onComment, &seen), -15);
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(seen.callCount(), 0);
}

TEST_F(CommentRequests, NotLoggedInComesBeforeTheEntryChecks) {
  oai->getService()->setUserCredential(nullptr, kvtest::provider());
  kvtest::Seen seen;
  EXPECT_EQ(oai->retrieveComments(W::WContent(), &kvtest::onCommentList, 0, 0, &seen), -202);
  EXPECT_EQ(oai->createComment(kvtest::contentWithUID("c"), kvtest::commentWith("", "t"),
                               &kvtest::onCommentText, &seen),
            -202);
  EXPECT_EQ(oai->viewComment(kvtest::commentWith("cm"), &kvtest::onCommentText, &seen), -202);
  EXPECT_EQ(oai->deleteComment(kvtest::commentWith("cm"), &kvtest::onComment, &seen), -202);
  EXPECT_EQ(executor.size(), 0u);
}

TEST_F(CommentRequests, RefusedHandOverLeavesNoCommandBehind) {
  executor.refuseNext(-1);
  kvtest::Seen seen;
  EXPECT_EQ(oai->deleteComment(kvtest::commentWith("cm"), &kvtest::onComment, &seen), -1);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
}

}  // namespace
