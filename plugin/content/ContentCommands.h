// Command records of the content and comment operations (keys 11 to 14 and
// 16 to 20).
#pragma once

#include "frame/KVServiceCMD.h"
#include "frame/KVTypes.h"

namespace W {

struct ContentCreationCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WGroup group;
  WContent content;
  STRING filePath;
  KVContentCreationCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

// View (key 14) and deletion (key 12) carry the caller's content.
struct ContentCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WContent content;
  KVContentCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

struct ContentViewCMD : ContentCMD {
  using ContentCMD::ContentCMD;
};

struct ContentDeletionCMD : ContentCMD {
  using ContentCMD::ContentCMD;
};

struct ContentUpdateCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WContent content;
  STRING text;
  KVContentUpdateCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

struct CommentsRetrievalCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WContent content;
  UINT32 searchIndex = 0;
  UINT32 searchCount = 0;
  KVCommentListCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

struct CommentCreationCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WContent content;
  WComment comment;
  KVCommentTextCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

struct CommentViewCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WComment comment;
  KVCommentTextCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

// Deletion (key 18) and update (key 19) carry the caller's comment.
struct CommentCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WComment comment;
  KVCommentCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

struct CommentDeletionCMD : CommentCMD {
  using CommentCMD::CommentCMD;
};

struct CommentUpdateCMD : CommentCMD {
  using CommentCMD::CommentCMD;
};

}  // namespace W
