// Placeholders until the downloads land.
#include "download/DownloadCommands.h"
#include "frame/WKVOAI.h"

namespace W {

WSTATUS WKVOAI::download(const WContentProvider&, const STRING&, const STRING&, const STRING&,
                         KVDirectDownloadCallback, VOID*) {
  return -15;
}
WSTATUS WKVOAI::fnContentDownloader(const WMediaResource&, WContentDownloadCallback, void*, void*) {
  return -15;
}
void WKVOAI::cbDownloadDone(SESSION_STATUS, const HttpResponse&, KVDownloadCMD* c) { cleanupCMD(c); }
void WKVOAI::cbKVDownloadDone(SESSION_STATUS, const HttpResponse&, KVDirectDownloadCMD* c) {
  cleanupCMD(c);
}
WSTATUS WKVOAI::retrieveThumbMIMEType(WMediaResource&) { return -15; }
WSTATUS WKVOAI::retrieveContentMIMEType(WContent&) { return -15; }
WSTATUS WKVOAI::thumbMIMETypeDone(const HttpResponse&, WMediaResource&) { return -15; }
WSTATUS WKVOAI::contentMIMETypeDone(const HttpResponse&, WContent&) { return -15; }

}  // namespace W
