// Putting a local photo into a group: a synchronous request for an upload
// slot, then the asynchronous multipart upload of the file to the slot's
// URL, completed by cbContentCreationDone (ContentHandlers.cpp).
#include <sys/stat.h>

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "common/OperationRequest.h"
#include "content/ContentCommands.h"
#include "frame/LiveProviders.h"
#include "service/KVCatchAll.h"

namespace W {

namespace {

// The file's size in bytes, 64 bits wide on every target (long and ftell
// stop at 2 GiB on 32-bit ARM); 0 when it is not a readable regular file.
long long fileSize(const STRING& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  struct stat st;
  const bool known = fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode);
  std::fclose(file);
  return known ? static_cast<long long>(st.st_size) : 0;
}

// Whether `url` starts with `scheme` ("https://"), letters in any case.
bool hasScheme(const STRING& url, const char* scheme) {
  for (size_t i = 0; scheme[i] != '\0'; ++i) {
    if (i >= url.size() || std::tolower(static_cast<unsigned char>(url[i])) != scheme[i]) {
      return false;
    }
  }
  return true;
}

// The slot request's form: the type, the description when there is one,
// and the size when it is known.
STRING slotForm(const WContent& content, long long size) {
  STRING form = "type=photo&";
  if (!content.getDescription().empty()) {
    form += "description=" + percentEncode(content.getDescription()) + "&";
  }
  if (size > 0) form += "file_size=" + std::to_string(size);
  return form;
}

}  // namespace

WSTATUS WKVOAI::createContent(const WGroup& group, const WContent& content, KV_CONTENT_TYPE type,
                              const STRING& filePath, KVContentCreationCallback callback,
                              VOID* userData) try {
  WSTATUS status = requireLogin(*this);
  if (status != WSTATUS_SUCCESS) return status;
  if (filePath.empty() || content.getMIMEType().empty())
    return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  if (refusesPathUID(group.getUID())) return WSTATUS_INVALID_ARGUMENT;
  auto cmd = newCommand<ContentCreationCMD>(*this, KV_CMD_CONTENT_CREATE, callback, userData);
  cmd->group = group;
  cmd->content = content;
  cmd->filePath = filePath;
  if (type != KV_CONTENT_PHOTO) {
    // Only photos can be uploaded; the command goes unsent.
    return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  }
  KVHeaderMap headers;
  status = m_pService->requestHeaders(KVHeaderSet::Session, headers);
  if (status != WSTATUS_SUCCESS) return status;
  const STRING slotURL = m_pService->serviceURL(percentEncode(group.getUID()) + "/upload");
  const long long size = fileSize(filePath);
  const KVHeaderMap parts = {{"filename", content.getMIMEType()}};

  const STRING form = slotForm(content, size);
  // Known before the hand-over: afterwards the provider may be gone.
  const std::uint64_t self = LiveProviders::serialOf(this);
  KVService* service = m_pService;
  addCMD(cmd.get());
  WContent slot;
  try {
    status = requestUploadSlot(slotURL, headers, form, slot);
  } catch (...) {
    cleanupCMD(cmd.get());
    throw;
  }
  if (status != WSTATUS_SUCCESS) {
    cleanupCMD(cmd.get());
    return status;
  }
  if (isCancelRequested()) return reportCancelledBeforeUpload(std::move(cmd));
  status = handOverCommand(*this, std::move(cmd), [&](KVServiceCMD* handedOver) {
    return service->postDataRequest(slot.getResourceURL(), headers, parts, handedOver, filePath,
                                    size);
  });
  if (status < 0) return status;
  // The upload may have completed already, and its callback may have
  // destroyed this provider: only a provider still alive is asked. A cancel
  // accepted while the upload was being queued found no transfer to stop;
  // it is stopped now.
  LiveProviders::withLive(this, self, [](WKVOAI& oai) {
    if (oai.isCancelRequested()) oai.getService()->setCancel();
  });
  return WSTATUS_SUCCESS;
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::requestUploadSlot(const STRING& slotURL, const KVHeaderMap& headers,
                                  const STRING& form, WContent& slot) {
  HttpResponse slotResponse;
  const WSTATUS status = m_pService->postFData(slotURL, headers, form, slotResponse);
  if (status != WSTATUS_SUCCESS) return status;  // the transport logged the failure
  // A refused slot reports why, as every other answer does.
  const int code = slotResponse.getHttpResponseCode();
  if (code != 200) {
    const WSTATUS refused = KVService::getWlibSTATUS(KVService::getKVSTATUS(code));
    return KV_LOG_OAI(refused);
  }
  getUploadUrlDone(slotResponse, slot);
  if (slot.getUID().empty() || slot.getResourceURL().empty())
    return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  // Never the session's credentials over plain http from an https session;
  // another https host is fine (a service may upload elsewhere).
  if (m_pService->isSecure() && !hasScheme(slot.getResourceURL(), "https://"))
    return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  return WSTATUS_SUCCESS;
}

WSTATUS WKVOAI::reportCancelledBeforeUpload(std::unique_ptr<ContentCreationCMD> cmd) {
  // Nothing was sent for it; the cancel is reported as for any cancelled
  // command. The provider is not touched after the report: the host may
  // destroy it from its cancel callback.
  cleanupCMD(cmd.get());
  if (cmd->callback == nullptr) {
    cancelFlagReset();
  } else if (takeCancelRequest()) {
    cbCancelDone(WSTATUS_SUCCESS, cmd->userData);
  }
  return WSTATUS_SUCCESS;
}

}  // namespace W
