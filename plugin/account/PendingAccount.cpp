// Placeholders until the account flows land; each is replaced by its real
// implementation file.
#include "account/AccountCommands.h"
#include "frame/WKVOAI.h"

namespace W {

WSTATUS WKVOAI::registerKV(KVAccountCallback, VOID*) { return -15; }
WSTATUS WKVOAI::authKV(KVAccountCallback, VOID*) { return -15; }
void WKVOAI::cbLoginDone(SESSION_STATUS, const HttpResponse&, KVLoginCMD* c) { cleanupCMD(c); }
void WKVOAI::cbLogoutDone(SESSION_STATUS, const HttpResponse&, KVLogoutCMD* c) { cleanupCMD(c); }
void WKVOAI::cbExceptionResolveDone(SESSION_STATUS, const HttpResponse&, KVExceptionResolveCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbRegisterDone(SESSION_STATUS, const HttpResponse&, RegisterKVCMD* c) { cleanupCMD(c); }
void WKVOAI::cbAuthDone(SESSION_STATUS, const HttpResponse&, AuthKVCMD* c) { cleanupCMD(c); }
WSTATUS WKVOAI::parseRegisterStatus(STRING, RegisterKVCMD*) { return -16; }
WSTATUS WKVOAI::parseAuthStatus(STRING, AuthKVCMD*) { return -16; }
WSTATUS WKVOAI::parseLoginStatus(STRING, KVLoginCMD*) { return -16; }

WSTATUS KVService::login(const STRING&, const STRING&, const STRING&, const STRING&, const STRING&,
                         const KVHeaderMap&, const STRING&, KVServiceCMD* cmd) {
  delete cmd;
  return -15;
}
WSTATUS KVService::login(const STRING&, const KVHeaderMap&, const STRING&, KVServiceCMD* cmd) {
  delete cmd;
  return -15;
}
WSTATUS KVService::resolveException(WException*, const STRING&, const KVHeaderMap&, const STRING&,
                                    KVServiceCMD* cmd) {
  delete cmd;
  return 0;
}
WSTATUS KVService::logout(KVServiceCMD* cmd) {
  delete cmd;
  return -15;
}

}  // namespace W
