// Putting a local photo into a group: a synchronous request for an upload
// slot, then the asynchronous multipart upload of the file to the slot's
// URL, completed by cbContentCreationDone (ContentHandlers.cpp).
#include <cstdio>

#include "content/ContentCommands.h"
#include "groups/OperationRequest.h"

namespace W {

namespace {

// The file's size in bytes; 0 when it cannot be opened.
long fileSize(const STRING& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  long size = 0;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  std::fclose(file);
  return size > 0 ? size : 0;
}

// The slot request's form: the type, the description when there is one,
// and the size when it is known.
STRING slotForm(const WContent& content, long size) {
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
                              VOID* userData) {
  WSTATUS status = requireLogin(*this);
  if (status != 0) return status;
  if (filePath.empty() || group.getUID().empty() || content.getMIMEType().empty()) {
    KV_LOG_OAI(-1);
    return -1;
  }
  auto cmd = newCommand<ContentCreationCMD>(*this, KV_CMD_CONTENT_CREATE, callback, userData);
  cmd->group = group;
  cmd->content = content;
  cmd->filePath = filePath;
  const STRING slotURL = m_pService->serviceURL(percentEncode(group.getUID()) + "/upload");
  const KVHeaderMap headers = m_pService->sessionHeaders();
  if (type != KV_CONTENT_PHOTO) {
    KV_LOG_OAI(-1);
    return -1;  // only photos can be uploaded; the command goes unsent
  }
  const long size = fileSize(filePath);
  const KVHeaderMap parts = {{"filename", content.getMIMEType()}};

  addCMD(cmd.get());
  HttpResponse slotResponse;
  status = m_pService->postFData(slotURL, headers, slotForm(content, size), slotResponse);
  if (status != 0) {
    cleanupCMD(cmd.get());  // the transport logged the failure
    return status;
  }
  WContent slot;
  getUploadUrlDone(slotResponse, slot);
  if (slot.getUID().empty() || slot.getResourceURL().empty()) {
    KV_LOG_OAI(-1);
    cleanupCMD(cmd.get());
    return -1;
  }
  // The transport owns the command from this call on.
  KVServiceCMD* handedOver = cmd.release();
  status = m_pService->postDataRequest(slot.getResourceURL(), headers, parts, handedOver, filePath,
                                       size);
  if (status < 0) {
    cleanupCMD(handedOver);
    return status;
  }
  return 0;
}

}  // namespace W
