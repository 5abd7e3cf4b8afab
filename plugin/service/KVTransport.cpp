// Request execution: turns URL, headers and body into host HttpRequests,
// queues them with the executor or runs them to completion, and routes
// completions back to the provider's dispatcher.
#include <curl/curl.h>

#include <memory>
#include <new>

#include "frame/KVServiceCMD.h"
#include "service/KVCatchAll.h"
#include "service/KVCompletionScope.h"
#include "service/KVLog.h"
#include "service/KVService.h"
#include "service/KVUploadRequest.h"

namespace W {

namespace {

HttpHeader toHeader(const KVHeaderMap& headers) {
  HttpHeader header;
  for (const auto& entry : headers) header.add(entry.first, entry.second);
  return header;
}

}  // namespace

void KVService::ArgsRelease::operator()(KVServiceArgs* args) const {
  // Not taken by the executor: off the session's list (if it got there), and
  // freed with its command.
  args->pService->unlinkARGS(args);
  releaseArgs(args);
}

KVService::OwnedArgs KVService::newArgs(KVServiceCMD* cmd) {
  // The command is ours from the call on, also when the record cannot be made.
  std::unique_ptr<KVServiceCMD> owned(cmd);
  OwnedArgs args(new KVServiceArgs{this, cmd});
  owned.release();
  return args;
}

std::unique_ptr<HttpRequest> KVService::newRequest(HTTP_REQUEST_TYPE type, const STRING& url,
                                                   const KVHeaderMap& headers,
                                                   const STRING& bodyOrPath, KVServiceArgs* args,
                                                   KVRequestKind kind) {
  const HttpCallback callback = args != nullptr ? cbKVFnCallback : nullptr;
  std::unique_ptr<HttpRequest> request(
      kind == KVRequestKind::MediaDownload
          ? new (std::nothrow) HttpRequest(type, url, toHeader(headers), callback, args, bodyOrPath)
          : new (std::nothrow)
                HttpRequest(type, url, toHeader(headers), bodyOrPath, callback, args));
  if (request != nullptr) applyLimits(*request, kind, limits());
  return request;
}

WSTATUS KVService::queueRequest(std::unique_ptr<HttpRequest> request, OwnedArgs args,
                                Transfer transfer) {
  request->setID(m_requestID);
  addARGS(args.get());
  if (transfer == Transfer::Cancellable) beginTransfer(request.get(), args->pCmd);
  WSTATUS rc = WSTATUS_REQUEST_FAILED;
  if (m_pDelegator != nullptr) {
    // An executor that throws has not taken the request.
    const WSTATUS thrown =
        KV_CATCH_ALL_SERVICE([&] { rc = m_pDelegator->addRequest(request.get()); });
    if (thrown != WSTATUS_SUCCESS) rc = thrown;
  }
  if (rc < 0) {
    // Refused: the owners free the argument record, its command and the
    // request on the way out.
    KV_LOG_SERVICE(rc);
    abandonTransfer(request.get());
    return rc;
  }
  // The completion owns request, args and command now; nothing here may
  // touch them, nor this session (the completion may have destroyed it).
  request.release();
  args.release();
  return WSTATUS_SUCCESS;
}

WSTATUS KVService::queueBodyRequest(HTTP_REQUEST_TYPE type, const STRING& url,
                                    const KVHeaderMap& headers, const STRING& body,
                                    KVServiceCMD* cmd) {
  OwnedArgs args = newArgs(cmd);
  std::unique_ptr<HttpRequest> request =
      newRequest(type, url, headers, body, args.get(), KVRequestKind::ServiceCall);
  if (request == nullptr) return KV_LOG_SERVICE(WSTATUS_REQUEST_FAILED);
  return queueRequest(std::move(request), std::move(args), Transfer::None);
}

WSTATUS KVService::getDataRequest(const STRING& url, const KVHeaderMap& headers, const STRING& body,
                                  KVServiceCMD* cmd) {
  return queueBodyRequest(HTTP_GET, url, headers, body, cmd);
}

WSTATUS KVService::postDataRequest(const STRING& url, const KVHeaderMap& headers,
                                   const STRING& body, KVServiceCMD* cmd) {
  return queueBodyRequest(HTTP_POST, url, headers, body, cmd);
}

WSTATUS KVService::postDataRequest(const STRING& url, const KVHeaderMap& headers,
                                   const KVHeaderMap& parts, KVServiceCMD* cmd, const STRING& path,
                                   long long fileSize) {
  OwnedArgs args = newArgs(cmd);
  if (path.empty() || parts.empty()) return KV_LOG_SERVICE(WSTATUS_INVALID_ARGUMENT);
  std::unique_ptr<KVUploadRequest> request(
      new (std::nothrow) KVUploadRequest(url, toHeader(headers), cbKVFnCallback, args.get(), path));
  if (request == nullptr || request->getHandle() == nullptr ||
      !request->attachForm(parts.begin()->first, parts.begin()->second)) {
    return KV_LOG_SERVICE(WSTATUS_REQUEST_FAILED);
  }
  applyLimits(*request, KVRequestKind::Upload, limits());
  curl_easy_setopt(request->getHandle(), CURLOPT_POSTFIELDS, "");
  curl_easy_setopt(request->getHandle(), CURLOPT_POSTFIELDSIZE_LARGE,
                   static_cast<curl_off_t>(fileSize));
  return queueRequest(std::move(request), std::move(args), Transfer::Cancellable);
}

WSTATUS KVService::retrieveFData(const STRING& url, const STRING& /*text*/, KVServiceCMD* cmd,
                                 const STRING& path, unsigned fileMode) {
  OwnedArgs args = newArgs(cmd);
  if (path.empty()) return KV_LOG_SERVICE(WSTATUS_INVALID_ARGUMENT);
  std::unique_ptr<HttpRequest> request =
      newRequest(HTTP_GET, url, KVHeaderMap(), path, args.get(), KVRequestKind::MediaDownload);
  if (request == nullptr) return KV_LOG_SERVICE(WSTATUS_REQUEST_FAILED);
  request->setFileMode(fileMode);
  return queueRequest(std::move(request), std::move(args), Transfer::Cancellable);
}

WSTATUS KVService::runSynchronous(HTTP_REQUEST_TYPE type, const STRING& url,
                                  const KVHeaderMap& headers, const STRING& body,
                                  KVRequestKind kind, HttpResponse& response) {
  std::unique_ptr<HttpRequest> request = newRequest(type, url, headers, body, nullptr, kind);
  if (request == nullptr) return KV_LOG_SERVICE(WSTATUS_REQUEST_FAILED);
  WSTATUS status = getWlibSTATUS(static_cast<GSTATUS>(request->execute()));
  if (status != WSTATUS_SUCCESS) return KV_LOG_SERVICE(status);
  response = request->getResponse();
  return WSTATUS_SUCCESS;
}

WSTATUS KVService::postFData(const STRING& url, const KVHeaderMap& headers, const STRING& body,
                             HttpResponse& response) {
  return runSynchronous(HTTP_POST, url, headers, body, KVRequestKind::ServiceCall, response);
}

WSTATUS KVService::retrieveFData(const STRING& url, const STRING& /*text*/,
                                 HttpResponse& response) {
  // Only the MIME-type probes fetch media synchronously: the answer's
  // headers are all they need.
  return runSynchronous(HTTP_GET, url, KVHeaderMap(), STRING(), KVRequestKind::MediaProbe,
                        response);
}

void KVService::cbKVFnCallback(SESSION_STATUS status, HttpRequest* request, VOID* arg) {
  // The completion owns the request, also one that is not ours.
  std::unique_ptr<HttpRequest> finished(request);
  if (arg == nullptr) return;
  KVServiceArgs* args = static_cast<KVServiceArgs*>(arg);
  KVService* service = args->pService;
  // A destroy of the provider asked for by a host callback in here waits
  // for the end of this scope; nothing touches the session after it.
  KVCompletionScope scope(service);
  KVDispatchFn dispatch = service->getFnCallbackPtr();
  if (dispatch != nullptr && request != nullptr) {
    // The boundary of the completion: an exception from a parser, a reader,
    // a record copy or the host's callback ends here, never in the executor.
    KVServiceCMD* cmd = args->pCmd;
    const WSTATUS failure =
        KV_CATCH_ALL_SERVICE([&] { dispatch(status, request->response(), cmd); });
    // A caller not told yet hears of the failure once, through the same
    // handler, which then sees nothing but the failure.
    if (failure != WSTATUS_SUCCESS && !scope.reported()) {
      const SESSION_STATUS failed =
          failure == WSTATUS_OUT_OF_MEMORY ? KV_SESSION_OUT_OF_MEMORY : KV_SESSION_FAILED;
      KV_CATCH_ALL_SERVICE([&] { dispatch(failed, HttpResponse(), cmd); });
    }
  }
  // The request goes before its argument record, which owns the command.
  if (request != nullptr) service->forgetRequest(request);
  finished.reset();
  service->cleanupARGS(args);
}

}  // namespace W
