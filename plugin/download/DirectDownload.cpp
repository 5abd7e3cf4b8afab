// Direct downloads: a media URL into a directory the host names; the host
// learns the file name.
#include "download/DownloadCommands.h"
#include "download/DownloadCompletion.h"
#include "download/DownloadNames.h"
#include "download/DownloadStart.h"
#include "service/KVCatchAll.h"

namespace W {

WSTATUS WKVOAI::download(const WContentProvider& provider, const STRING& url,
                         const STRING& directory, const STRING& fileName,
                         KVDirectDownloadCallback callback, VOID* userData) try {
  KV_ASSERT_NOT_NULL(m_pService);
  if (!m_pService->isLoggedIn()) return KV_LOG_OAI(WSTATUS_NOT_LOGGED_IN);
  if (url.empty() || directory.empty()) return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  const STRING name = fileName.empty() ? directDownloadName(url) : fileName;
  // Never a file outside the directory, nor the directory itself.
  if (!isPlainFileName(name)) return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  cancelFlagReset();
  const STRING path = directory + "/" + name;
  if (provider.getID() != m_provider.getID()) return KV_LOG_OAI(WSTATUS_FAILURE);
  return startDownload<KVDirectDownloadCMD>(*this, KV_CMD_DIRECT_DOWNLOAD, url, path,
                                            KVService::kSharedFileMode, callback, userData,
                                            [&](KVDirectDownloadCMD& cmd) {
                                              cmd.url = url;
                                              cmd.path = path;
                                              cmd.name = name;
                                            });
} catch (...) {
  return KV_CAUGHT_OAI();
}

void WKVOAI::cbKVDownloadDone(SESSION_STATUS status, const HttpResponse& response,
                              KVDirectDownloadCMD* cmd) {
  // The stream only proves that the file is there.
  std::ifstream check;
  completeDownload(status, response, cmd, check, [&](WSTATUS result) {
    cmd->callback(result, m_provider, cmd->name, cmd->userData);
  });
}

}  // namespace W
