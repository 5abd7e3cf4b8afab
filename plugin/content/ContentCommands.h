// Command records of the content and comment operations (keys 11 to 14 and
// 16 to 20).
#pragma once

#include "frame/KVServiceCMD.h"
#include "frame/KVTypes.h"

namespace W {

struct ContentCreationCMD : KVCallbackCMD<KVContentCreationCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WGroup group;
  WContent content;
  STRING filePath;
};

// View (key 14) and deletion (key 12) carry the caller's content.
struct ContentCMD : KVCallbackCMD<KVContentCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WContent content;
};

struct ContentViewCMD : ContentCMD {
  using ContentCMD::ContentCMD;
};

struct ContentDeletionCMD : ContentCMD {
  using ContentCMD::ContentCMD;
};

struct ContentUpdateCMD : KVCallbackCMD<KVContentUpdateCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WContent content;
  STRING text;
};

struct CommentsRetrievalCMD : KVCallbackCMD<KVCommentListCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WContent content;
  UINT32 searchIndex = 0;
  UINT32 searchCount = 0;
};

struct CommentCreationCMD : KVCallbackCMD<KVCommentTextCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WContent content;
  WComment comment;
};

struct CommentViewCMD : KVCallbackCMD<KVCommentTextCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WComment comment;
};

// Deletion (key 18) and update (key 19) carry the caller's comment.
struct CommentCMD : KVCallbackCMD<KVCommentCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WComment comment;
};

struct CommentDeletionCMD : CommentCMD {
  using CommentCMD::CommentCMD;
};

struct CommentUpdateCMD : CommentCMD {
  using CommentCMD::CommentCMD;
};

}  // namespace W
