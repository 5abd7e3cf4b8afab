// Request execution: turns URL, headers and body into host HttpRequests,
// queues them with the executor or runs them to completion, and routes
// completions back to the provider's dispatcher.
#include <curl/curl.h>

#include <memory>
#include <new>

#include "frame/KVServiceCMD.h"
#include "service/KVCompletionScope.h"
#include "service/KVLog.h"
#include "service/KVService.h"

namespace W {

namespace {

HttpHeader toHeader(const KVHeaderMap& headers) {
  HttpHeader header;
  for (const auto& entry : headers) header.add(entry.first, entry.second);
  return header;
}

// Builds the one-file multipart form of an upload; null on failure.
curl_httppost* buildUploadForm(const STRING& partName, const STRING& contentType,
                               const STRING& path) {
  curl_httppost* first = nullptr;
  curl_httppost* last = nullptr;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  // The host interface takes a curl_formadd form.
  CURLFORMcode rc =
      curl_formadd(&first, &last, CURLFORM_COPYNAME, partName.c_str(), CURLFORM_FILE, path.c_str(),
                   CURLFORM_CONTENTTYPE, contentType.c_str(), CURLFORM_END);
  if (rc != CURL_FORMADD_OK) {
    curl_formfree(first);
    first = nullptr;
  }
#pragma GCC diagnostic pop
  return first;
}

void freeUploadForm(curl_httppost* form) {
  if (form == nullptr) return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  curl_formfree(form);
#pragma GCC diagnostic pop
}

}  // namespace

HttpRequest* KVService::newRequest(HTTP_REQUEST_TYPE type, const STRING& url,
                                   const KVHeaderMap& headers, const STRING& bodyOrPath,
                                   KVServiceArgs* args, KVRequestKind kind) {
  const HttpCallback callback = args != nullptr ? cbKVFnCallback : nullptr;
  const bool toFile = kind == KVRequestKind::MediaDownload || kind == KVRequestKind::Upload;
  HttpRequest* request =
      toFile ? new (std::nothrow)
                   HttpRequest(type, url, toHeader(headers), callback, args, bodyOrPath)
             : new (std::nothrow)
                   HttpRequest(type, url, toHeader(headers), bodyOrPath, callback, args);
  if (request != nullptr) applyLimits(*request, kind, limits());
  return request;
}

WSTATUS KVService::queueRequest(HttpRequest* request, KVServiceArgs* args, Transfer transfer) {
  request->setID(m_requestID);
  if (transfer == Transfer::Cancellable) beginTransfer(request, args->pCmd);
  addARGS(args);
  int rc = m_pDelegator != nullptr ? m_pDelegator->addRequest(request) : WSTATUS_REQUEST_FAILED;
  if (rc >= 0) return 0;  // the completion owns request, args and command now
  KV_LOG_SERVICE(rc);
  cleanupARGS(args);
  abandonTransfer(request);
  delete request;
  return rc;
}

WSTATUS KVService::queueBodyRequest(HTTP_REQUEST_TYPE type, const STRING& url,
                                    const KVHeaderMap& headers, const STRING& body,
                                    KVServiceCMD* cmd) {
  KVServiceArgs* args = new KVServiceArgs{this, cmd};
  HttpRequest* request = newRequest(type, url, headers, body, args, KVRequestKind::ServiceCall);
  if (request == nullptr) {
    releaseArgs(args);
    return KV_LOG_SERVICE(WSTATUS_REQUEST_FAILED);
  }
  return queueRequest(request, args, Transfer::None);
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
  KVServiceArgs* args = new KVServiceArgs{this, cmd};
  if (path.empty() || parts.empty()) {
    releaseArgs(args);
    return KV_LOG_SERVICE(WSTATUS_INVALID_ARGUMENT);
  }
  HttpRequest* request = newRequest(HTTP_POST, url, headers, path, args, KVRequestKind::Upload);
  curl_httppost* form = request != nullptr
                            ? buildUploadForm(parts.begin()->first, parts.begin()->second, path)
                            : nullptr;
  if (request == nullptr || form == nullptr || request->getHandle() == nullptr) {
    freeUploadForm(form);
    delete request;
    releaseArgs(args);
    return KV_LOG_SERVICE(WSTATUS_REQUEST_FAILED);
  }
  curl_easy_setopt(request->getHandle(), CURLOPT_POSTFIELDS, "");
  curl_easy_setopt(request->getHandle(), CURLOPT_POSTFIELDSIZE_LARGE,
                   static_cast<curl_off_t>(fileSize));
  request->setFormPost(form);
  return queueRequest(request, args, Transfer::Cancellable);
}

WSTATUS KVService::retrieveFData(const STRING& url, const STRING& /*text*/, KVServiceCMD* cmd,
                                 const STRING& path, unsigned fileMode) {
  KVServiceArgs* args = new KVServiceArgs{this, cmd};
  if (path.empty()) {
    releaseArgs(args);
    return KV_LOG_SERVICE(WSTATUS_INVALID_ARGUMENT);
  }
  HttpRequest* request =
      newRequest(HTTP_GET, url, KVHeaderMap(), path, args, KVRequestKind::MediaDownload);
  if (request == nullptr) {
    releaseArgs(args);
    return KV_LOG_SERVICE(WSTATUS_REQUEST_FAILED);
  }
  request->setFileMode(fileMode);
  return queueRequest(request, args, Transfer::Cancellable);
}

WSTATUS KVService::runSynchronous(HTTP_REQUEST_TYPE type, const STRING& url,
                                  const KVHeaderMap& headers, const STRING& body,
                                  KVRequestKind kind, HttpResponse& response) {
  std::unique_ptr<HttpRequest> request(newRequest(type, url, headers, body, nullptr, kind));
  if (request == nullptr) return KV_LOG_SERVICE(WSTATUS_REQUEST_FAILED);
  WSTATUS status = getWlibSTATUS(static_cast<GSTATUS>(request->execute()));
  if (status != WSTATUS_SUCCESS) return KV_LOG_SERVICE(status);
  response = request->getResponse();
  return 0;
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
  if (arg == nullptr) {
    // Not one of ours, but the completion owns the request all the same.
    delete request;
    return;
  }
  KVServiceArgs* args = static_cast<KVServiceArgs*>(arg);
  KVService* service = args->pService;
  // A destroy of the provider asked for by a host callback in here waits
  // for the end of this scope; nothing touches the session after it.
  KVCompletionScope scope(service);
  KVDispatchFn dispatch = service->getFnCallbackPtr();
  if (dispatch != nullptr && request != nullptr) dispatch(status, request->response(), args->pCmd);
  if (request != nullptr) {
    service->forgetRequest(request);
    delete request;
  }
  service->cleanupARGS(args);
}

}  // namespace W
