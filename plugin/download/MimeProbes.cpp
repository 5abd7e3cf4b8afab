// MIME-type probes: fetch a media URL synchronously and keep the content
// type the server reports.
#include "frame/WKVOAI.h"
#include "service/KVCatchAll.h"

namespace W {

namespace {

// The status of a probe's answer; a 200 stores its content type in `record`.
WSTATUS takeMIMEType(const HttpResponse& response, WMediaResource& record) {
  const int code = response.getHttpResponseCode();
  if (code != 200) return KVService::getWlibSTATUS(KVService::getKVSTATUS(code));
  record.setMIMEType(response.getContentType());
  return WSTATUS_SUCCESS;
}

// Fetches the record's URL to completion and hands the answer to `done`.
// Returns WSTATUS_SUCCESS once an answer arrived, whatever its code; else
// the transport's status (logged there).
template <class Record, class Done>
WSTATUS probe(KVService& service, Record& record, Done done) {
  HttpResponse response;
  const WSTATUS status = service.retrieveFData(record.getResourceURL(), "", response);
  if (status < 0) return status;
  done(response, record);
  return WSTATUS_SUCCESS;
}

}  // namespace

WSTATUS WKVOAI::retrieveThumbMIMEType(WMediaResource& resource) try {
  return probe(*m_pService, resource, [this](const HttpResponse& r, WMediaResource& m) {
    return thumbMIMETypeDone(r, m);
  });
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::retrieveContentMIMEType(WContent& content) try {
  return probe(*m_pService, content,
               [this](const HttpResponse& r, WContent& c) { return contentMIMETypeDone(r, c); });
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::thumbMIMETypeDone(const HttpResponse& response, WMediaResource& resource) {
  return takeMIMEType(response, resource);
}

WSTATUS WKVOAI::contentMIMETypeDone(const HttpResponse& response, WContent& content) {
  return takeMIMEType(response, content);
}

}  // namespace W
