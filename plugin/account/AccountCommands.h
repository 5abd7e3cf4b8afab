// Command records of the account operations (keys 0, 1, 2, 3 and 5).
#pragma once

#include "frame/KVServiceCMD.h"
#include "frame/KVTypes.h"

namespace W {

// Register (key 3) and authenticate (key 5): the three configured
// identifiers as read when the operation started.
struct AccountCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  STRING token;
  STRING appId;
  STRING duid;
  KVAccountCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

struct RegisterKVCMD : AccountCMD {
  using AccountCMD::AccountCMD;
};

struct AuthKVCMD : AccountCMD {
  using AccountCMD::AccountCMD;
};

// Session login (key 0): the first two strings go to a captcha exception.
struct KVLoginCMD : AccountCMD {
  using AccountCMD::AccountCMD;
};

struct KVLogoutCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  KVAccountCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

struct KVExceptionResolveCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WException* exception = nullptr;  // not owned: the session's list owns it
  KVResolveCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

}  // namespace W
