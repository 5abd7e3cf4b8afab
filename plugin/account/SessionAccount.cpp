// The session-level account requests: the pass-through login, exception
// resolution, and the local logout whose request only drives its
// completion.
#include <W/WCaptchaException.h>

#include <memory>
#include <new>

#include "frame/KVServiceCMD.h"
#include "service/KVLog.h"
#include "service/KVService.h"

namespace W {

namespace {

// Nothing listens here; the request exists only to complete.
const char* const kLogoutURL = "http://localhost:9";

}  // namespace

WSTATUS KVService::login(const STRING&, const STRING&, const STRING&, const STRING&,
                         const STRING& url, const KVHeaderMap& headers, const STRING& body,
                         KVServiceCMD* cmd) {
  return login(url, headers, body, cmd);
}

WSTATUS KVService::login(const STRING& url, const KVHeaderMap& headers, const STRING& body,
                         KVServiceCMD* cmd) {
  return postDataRequest(url, headers, body, cmd);
}

WSTATUS KVService::resolveException(WException* exception, const STRING& url,
                                    const KVHeaderMap& headers, const STRING& body,
                                    KVServiceCMD* cmd) {
  // Like the transport, this call owns the command from here on.
  std::unique_ptr<KVServiceCMD> owned(cmd);
  if (exception == nullptr || exception->getExceptionType() != EXCEPTION_CAPTCHA) {
    KV_LOG_SERVICE(WSTATUS_INVALID_ARGUMENT);
    return WSTATUS_SUCCESS;
  }
  std::array<STRING, 4> data;
  if (const WCaptchaException* captcha = dynamic_cast<const WCaptchaException*>(exception)) {
    data = captcha->data();
  }
  // A failure has been logged by the transport, which also freed the
  // command; the caller learns nothing more from a status here.
  login(data[0], data[1], data[2], data[3], url, headers, body, owned.release());
  return WSTATUS_SUCCESS;
}

WSTATUS KVService::logout(KVServiceCMD* cmd) {
  OwnedArgs args = newArgs(cmd);
  setUserCredential(nullptr, m_provider);
  std::unique_ptr<HttpRequest> request(new (std::nothrow) HttpRequest(
      HTTP_GET, kLogoutURL, HttpHeader(), STRING(), cbKVFnCallback, args.get()));
  if (request == nullptr) return KV_LOG_SERVICE(WSTATUS_REQUEST_FAILED);
  return queueRequest(std::move(request), std::move(args), Transfer::None);
}

}  // namespace W
