// Command records of the account operations (keys 0, 1, 2, 3 and 5).
#pragma once

#include "frame/KVServiceCMD.h"
#include "frame/KVTypes.h"

namespace W {

// Register (key 3) and authenticate (key 5): the three configured
// identifiers as read when the operation started.
struct AccountCMD : KVCallbackCMD<KVAccountCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  STRING token;
  STRING appId;
  STRING duid;
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

struct KVLogoutCMD : KVCallbackCMD<KVAccountCallback> {
  using KVCallbackCMD::KVCallbackCMD;
};

struct KVExceptionResolveCMD : KVCallbackCMD<KVResolveCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WException* exception = nullptr;  // not owned: the session's list owns it
};

}  // namespace W
