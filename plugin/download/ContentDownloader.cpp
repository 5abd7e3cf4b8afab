// The downloader the provider registers on the media records it hands out:
// fetches a resource into the process's private directory, gives the host a
// stream on the file, and removes the file once the host is done with it.
#include "download/DownloadCommands.h"
#include "download/DownloadCompletion.h"
#include "download/DownloadNames.h"
#include "download/DownloadStart.h"
#include "download/PrivateDownloadDir.h"
#include "frame/LiveProviders.h"
#include "service/KVCatchAll.h"

namespace W {

WSTATUS WKVOAI::fnContentDownloader(const WMediaResource& resource,
                                    WContentDownloadCallback callback, void* userData,
                                    void* downloaderArg) try {
  WKVOAI* pDownloaderArg = static_cast<WKVOAI*>(downloaderArg);
  KV_ASSERT_NOT_NULL(pDownloaderArg);
  // A record the host kept across a reload names a provider that is gone:
  // refused before anything of it is read.
  if (LiveProviders::serialOf(downloaderArg) == 0) return KV_LOG_OAI(WSTATUS_FAILURE);
  KVService* m_pService = pDownloaderArg->m_pService;
  KV_ASSERT_NOT_NULL(m_pService);
  const STRING& url = resource.getResourceURL();
  if (url.empty()) return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  const STRING name = contentDownloadName(url);
  // Never the directory itself nor a file outside it.
  if (!isPlainFileName(name)) return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  // The host reads the file only through the stream it is handed, so the
  // file lives in the process's private directory, readable by us alone,
  // and goes once the host's callback has returned.
  const STRING path = privateDownloadPath(name);
  if (path.empty()) return KV_LOG_OAI(WSTATUS_FILE_ERROR);
  pDownloaderArg->cancelFlagReset();
  return startDownload<KVDownloadCMD>(*pDownloaderArg, KV_CMD_DOWNLOAD, url, path,
                                      KVService::kPrivateFileMode, callback, userData,
                                      [&](KVDownloadCMD& cmd) {
                                        cmd.resource = resource;
                                        cmd.path = path;
                                      });
} catch (...) {
  return KV_CAUGHT_OAI();
}

void WKVOAI::cbDownloadDone(SESSION_STATUS status, const HttpResponse& response,
                            KVDownloadCMD* cmd) {
  // Valid only during the host's callback.
  std::ifstream stream;
  const STRING path = cmd->path;
  completeDownload(status, response, cmd, stream, [&](WSTATUS result) {
    cmd->callback(result, m_provider, cmd->resource, stream, cmd->userData);
  });
  // The host has read what it wanted; a private file is of use to nobody.
  std::remove(path.c_str());
}

}  // namespace W
