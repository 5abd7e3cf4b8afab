// The account operations of the provider: device registration and
// authentication. Unlike every other operation they need no logged-in
// session; the device's identity comes from the host configuration.
#include "account/AccountCommands.h"
#include "common/OperationRequest.h"
#include "service/KVCatchAll.h"

namespace W {

namespace {

// The three configured identifiers, in the order they are checked.
const char* const kIdentityOptions[] = {"app_id", "AuthToken", "duid"};

// Checks the options and the session's pending exceptions, then posts an
// empty body to `resource`, signed with the configured identity. Returns
// WSTATUS_SUCCESS when queued; WSTATUS_INVALID_ARGUMENT for a missing
// option, WSTATUS_EXCEPTION_PENDING while a service exception waits to be
// resolved (both logged, nothing queued); or the transport's status.
template <class Cmd>
WSTATUS startAccountRequest(WKVOAI& oai, UINT32 key, const char* resource,
                            KVAccountCallback callback, VOID* userData) {
  KVService* m_pService = oai.getService();
  KV_ASSERT_NOT_NULL(m_pService);
  for (const char* option : kIdentityOptions) {
    if (m_pService->option(option).empty()) return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  }
  if (m_pService->getException() != nullptr) return KV_LOG_OAI(WSTATUS_EXCEPTION_PENDING);
  std::unique_ptr<Cmd> cmd = newCommand<Cmd>(oai, key, callback, userData);
  cmd->token = m_pService->option("AuthToken");
  cmd->appId = m_pService->option("app_id");
  cmd->duid = m_pService->option("duid");
  return submitCommand(oai, KVMethod::Post, resource, KVHeaderSet::Config, STRING(),
                       std::move(cmd));
}

}  // namespace

WSTATUS WKVOAI::registerKV(KVAccountCallback callback, VOID* userData) try {
  return startAccountRequest<RegisterKVCMD>(*this, KV_CMD_REGISTER, "register", callback, userData);
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::authKV(KVAccountCallback callback, VOID* userData) try {
  return startAccountRequest<AuthKVCMD>(*this, KV_CMD_AUTH, "auth", callback, userData);
} catch (...) {
  return KV_CAUGHT_OAI();
}

}  // namespace W
