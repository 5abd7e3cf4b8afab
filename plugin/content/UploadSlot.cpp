// The upload slot that the service grants before a file is uploaded: the
// new content's identifier and the URL the file goes to.
#include <libxml++/libxml++.h>

#include "common/ServiceAnswer.h"

namespace W {

int WKVOAI::parseString(STRING payload, WContent& content) {
  return walkEnvelope(answerLimits(), payload, [&](const xmlpp::Node* data) -> WSTATUS {
    content.setUID(KVService::getEntryContent("contentId", data));
    content.setResourceURL(KVService::getEntryContent("uploadUrl", data));
    return WSTATUS_SUCCESS;
  });
}

WSTATUS WKVOAI::getUploadUrlDone(const HttpResponse& response, WContent& content) {
  const int code = response.getHttpResponseCode();
  if (code == 200) return parseString(response.getPayload(), content);
  return KVService::getWlibSTATUS(KVService::getKVSTATUS(code));
}

}  // namespace W
