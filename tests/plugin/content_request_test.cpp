// The wire form of the content view and deletion requests, and the checks
// that refuse a content operation before anything is sent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include "OperationTestSupport.h"

namespace {

using W::HTTP_GET;
using W::HTTP_POST;

using kvtest::kSigned;

class ContentRequests : public kvtest::CapturedProvider {};

TEST_F(ContentRequests, ViewAndDeleteAddressTheContent) {
  struct Row {
    bool view;
    const char* uid;
    const char* resource;
    W::HTTP_REQUEST_TYPE type;
  };
  const Row rows[] = {
      {true, "c-1", "c-1/view", HTTP_GET},
      {false, "c-1", "c-1/delete", HTTP_POST},
      {true, "c 1&x", "c+1%26x/view", HTTP_GET},
  };
  for (const Row& row : rows) {
    kvtest::Seen seen;
    const W::WContent content = kvtest::contentWithUID(row.uid);
    ASSERT_EQ(row.view ? oai->viewContent(content, &kvtest::onContent, &seen)
                       : oai->deleteContent(content, &kvtest::onContent, &seen),
              0);
    W::HttpRequest* request = executor.last();
    EXPECT_EQ(request->getURL(), serviceUrl(row.resource));
    EXPECT_EQ(request->getType(), row.type);
    EXPECT_EQ(request->getBody(), "");
    EXPECT_EQ(kvtest::headerNames(request), kSigned);
  }
}

TEST_F(ContentRequests, RefusalsSendNothing) {
  const std::string path = "/tmp/kv-any.jpg";
  W::WContent photo;
  photo.setMIMEType("image/jpeg");
  const W::WGroup group = kvtest::groupWith("g-1");
  struct Row {
    const char* name;
    W::WSTATUS status;
    W::WSTATUS expected;
  };
  kvtest::Seen seen;
  const Row rows[] = {
      {"view without UID", oai->viewContent(W::WContent(), &kvtest::onContent, &seen), -1},
      {"delete without UID", oai->deleteContent(W::WContent(), &kvtest::onContent, &seen), -1},
      {"update",
       oai->updateContent(kvtest::contentWithUID("c"), "t", &kvtest::onContentUpdated, &seen), -15},
      {"no file path",
       oai->createContent(group, photo, W::KV_CONTENT_PHOTO, "", &kvtest::onContentCreated, &seen),
       -1},
      {"no group UID",
       oai->createContent(W::WGroup(), photo, W::KV_CONTENT_PHOTO, path, &kvtest::onContentCreated,
                          &seen),
       -1},
      {"no MIME type",
       oai->createContent(group, kvtest::contentWithUID(""), W::KV_CONTENT_PHOTO, path,
                          &kvtest::onContentCreated, &seen),
       -1},
      {"video",
       oai->createContent(group, photo, W::KV_CONTENT_VIDEO, path, &kvtest::onContentCreated,
                          &seen),
       -1},
      {"music",
       oai->createContent(group, photo, W::KV_CONTENT_MUSIC, path, &kvtest::onContentCreated,
                          &seen),
       -1},
      {"unknown type",
       oai->createContent(group, photo, W::KV_CONTENT_TYPE(9), path, &kvtest::onContentCreated,
                          &seen),
       -1},
  };
  for (const Row& row : rows) EXPECT_EQ(row.status, row.expected) << row.name;
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
  EXPECT_EQ(seen.callCount(), 0);
}

// "." and ".." would make the signed path name another resource ("kvhost
// delete .." sent POST /openapi/service/delete).
TEST_F(ContentRequests, DotSegmentUIDsAreRefusedInEveryPath) {
  W::WContent photo;
  photo.setMIMEType("image/jpeg");
  kvtest::Seen seen;
  for (const char* uid : {".", ".."}) {
    const W::WContent content = kvtest::contentWithUID(uid);
    const W::WComment comment = kvtest::commentWith(uid, "text");
    const W::WSTATUS statuses[] = {
        oai->viewContent(content, &kvtest::onContent, &seen),
        oai->deleteContent(content, &kvtest::onContent, &seen),
        oai->retrieveComments(content, &kvtest::onCommentList, 0, 5, &seen),
        oai->createComment(content, kvtest::commentWith("", "hi"), &kvtest::onCommentText, &seen),
        oai->viewComment(comment, &kvtest::onCommentText, &seen),
        oai->deleteComment(comment, &kvtest::onComment, &seen),
        oai->retrieveGroupFeeds(kvtest::groupWith(uid), "10", "", 5, W::KV_BASE_CREATED_TIME,
                                W::KV_ITEM_ALL, W::KV_INCLUDE_NONE, &kvtest::onContentList, &seen),
        oai->createContent(kvtest::groupWith(uid), photo, W::KV_CONTENT_PHOTO, "/tmp/kv-any.jpg",
                           &kvtest::onContentCreated, &seen),
        oai->retrieveGroupList(kvtest::personWithUID(uid), &kvtest::onGroupList, 0, 5,
                               W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_NONE, &seen),
        oai->createGroup(kvtest::groupWith("", "G"), kvtest::personWithUID(uid), &kvtest::onGroup,
                         &seen),
    };
    for (size_t i = 0; i < sizeof statuses / sizeof statuses[0]; ++i) {
      EXPECT_EQ(statuses[i], -1) << "operation " << i << " with UID " << uid;
    }
  }
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(seen.callCount(), 0);
}

// A request whose signature cannot be computed must not go out unsigned.
TEST_F(ContentRequests, UnsignableRequestsAreRefused) {
  // Only a FIPS provider may serve HMAC now, and none is loaded.
  ASSERT_EQ(EVP_set_default_properties(nullptr, "fips=yes"), 1);
  kvtest::Seen seen;
  const W::WSTATUS statuses[] = {
      oai->viewContent(kvtest::contentWithUID("c-1"), &kvtest::onContent, &seen),
      oai->retrieveGroupList(kvtest::personWithUID(""), &kvtest::onGroupList, 0, 5,
                             W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_NONE, &seen),
      oai->authKV(&kvtest::onAccount, &seen),
  };
  ASSERT_EQ(EVP_set_default_properties(nullptr, ""), 1);
  for (W::WSTATUS status : statuses) EXPECT_EQ(status, -16);
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  // Signing works again once HMAC is available.
  ASSERT_EQ(oai->viewContent(kvtest::contentWithUID("c-1"), &kvtest::onContent, &seen), 0);
  EXPECT_THAT(kvtest::headerOf(executor.last(), "Authorization"),
              testing::ContainsRegex("signature=\"[0-9a-f]{40}\""));
}

TEST_F(ContentRequests, NotLoggedInRefusesContentOperations) {
  oai->getService()->setUserCredential(nullptr, kvtest::provider());
  kvtest::Seen seen;
  W::WContent photo;
  photo.setMIMEType("image/jpeg");
  EXPECT_EQ(oai->viewContent(kvtest::contentWithUID("c"), &kvtest::onContent, &seen), -202);
  EXPECT_EQ(oai->deleteContent(kvtest::contentWithUID("c"), &kvtest::onContent, &seen), -202);
  EXPECT_EQ(oai->createContent(kvtest::groupWith("g"), photo, W::KV_CONTENT_PHOTO, "/tmp/x",
                               &kvtest::onContentCreated, &seen),
            -202);
  EXPECT_EQ(executor.size(), 0u);
}

}  // namespace
