// The downloader the provider registers on the media records it hands out:
// fetches a resource into "/tmp/" and gives the host a stream on the file.
#include "download/DownloadCommands.h"
#include "download/DownloadCompletion.h"
#include "download/DownloadNames.h"
#include "download/DownloadStart.h"

namespace W {

WSTATUS WKVOAI::fnContentDownloader(const WMediaResource& resource,
                                    WContentDownloadCallback callback, void* userData,
                                    void* downloaderArg) {
  WKVOAI* pDownloaderArg = static_cast<WKVOAI*>(downloaderArg);
  KV_ASSERT_NOT_NULL(pDownloaderArg);
  KVService* m_pService = pDownloaderArg->m_pService;
  KV_ASSERT_NOT_NULL(m_pService);
  const STRING& url = resource.getResourceURL();
  if (url.empty()) {
    KV_LOG_OAI(-1);
    return -1;
  }
  const STRING name = contentDownloadName(url);
  // Never "/tmp/" itself nor a file outside it.
  if (!isPlainFileName(name)) {
    KV_LOG_OAI(-1);
    return -1;
  }
  const STRING path = "/tmp/" + name;
  pDownloaderArg->cancelFlagReset();
  return startDownload<KVDownloadCMD>(*pDownloaderArg, KV_CMD_DOWNLOAD, url, path, callback,
                                      userData, [&](KVDownloadCMD& cmd) {
                                        cmd.resource = resource;
                                        cmd.path = path;
                                      });
}

void WKVOAI::cbDownloadDone(SESSION_STATUS status, const HttpResponse& response,
                            KVDownloadCMD* cmd) {
  // Valid only during the host's callback.
  std::ifstream stream;
  completeDownload(*this, status, response, cmd, stream, [&](WSTATUS result) {
    cmd->callback(result, m_provider, cmd->resource, stream, cmd->userData);
  });
}

}  // namespace W
