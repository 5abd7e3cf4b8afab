// Base of the command records: what an operation remembers until its
// completion (inputs, caller's callback and user data, the provider).
#pragma once

#include <W/WContentProvider.h>
#include <W/WTypes.h>

#include <cstdint>

namespace W {

class WKVOAI;

// Command keys; the dispatcher routes a completion by them.
enum KV_CMD_KEY : UINT32 {
  KV_CMD_LOGIN = 0,
  KV_CMD_LOGOUT = 1,
  KV_CMD_EXCEPTION_RESOLVE = 2,
  KV_CMD_REGISTER = 3,
  KV_CMD_UNUSED = 4,
  KV_CMD_AUTH = 5,
  KV_CMD_GROUP_LIST = 6,
  KV_CMD_GROUP_CREATE = 7,
  KV_CMD_GROUP_DELETE = 8,
  KV_CMD_GROUP_FEEDS = 9,
  KV_CMD_GROUP_GALLERY = 10,
  KV_CMD_CONTENT_CREATE = 11,
  KV_CMD_CONTENT_DELETE = 12,
  KV_CMD_CONTENT_UPDATE = 13,
  KV_CMD_CONTENT_VIEW = 14,
  KV_CMD_DOWNLOAD = 15,
  KV_CMD_COMMENT_LIST = 16,
  KV_CMD_COMMENT_CREATE = 17,
  KV_CMD_COMMENT_DELETE = 18,
  KV_CMD_COMMENT_UPDATE = 19,
  KV_CMD_COMMENT_VIEW = 20,
  KV_CMD_DIRECT_DOWNLOAD = 21,
  KV_CMD_COUNT = 22,
  KV_CMD_NONE = 0xFFFFFFFFu,
};

class KVServiceCMD {
 public:
  explicit KVServiceCMD(const WContentProvider& provider)
      : m_cpKey(provider.getID()), m_cmdKey(KV_CMD_NONE) {}
  virtual ~KVServiceCMD() = default;

  KVServiceCMD(const KVServiceCMD&) = delete;
  KVServiceCMD& operator=(const KVServiceCMD&) = delete;

  UINT32 getCPKey() const { return m_cpKey; }
  UINT32 getCMDKey() const { return m_cmdKey; }
  void setCMDKey(UINT32 key) { m_cmdKey = key; }
  // Provider key in the high half, command key in the low half.
  std::uint64_t getID() const { return (std::uint64_t(m_cpKey) << 32) | m_cmdKey; }

 private:
  UINT32 m_cpKey;
  UINT32 m_cmdKey;
};

// A command record that reports to its caller: the caller's callback and
// user data, and the provider that completes it. Every record derives from
// one of these and adds its own fields.
template <class Callback>
struct KVCallbackCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  Callback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

}  // namespace W
