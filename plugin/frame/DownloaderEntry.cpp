// An unmangled entry to the provider's content downloader, for hosts that
// load the plug-in with dlopen and hold no media record that carries it
// (kvhost's fetch). The downloader itself is a hidden member of WKVOAI.
//
//   extern "C" int kvContentDownloader(const W::WMediaResource* resource,
//                                      W::WContentDownloadCallback callback,
//                                      void* userData, W::WPlugin* plugin);
//
// Starts fetching `resource` exactly as WMediaResource::download would with
// the provider's own downloader, `plugin` (from createPlugin) being the
// downloader argument. Returns the downloader's status; WSTATUS_INVALID_ARGUMENT without calling
// it when `resource` or `plugin` is null.
#include "frame/KvExport.h"
#include "frame/WKVOAI.h"

extern "C" KV_EXPORT int kvContentDownloader(const W::WMediaResource* resource,
                                             W::WContentDownloadCallback callback, void* userData,
                                             W::WPlugin* plugin) {
  if (resource == nullptr || plugin == nullptr) return W::WSTATUS_INVALID_ARGUMENT;
  // createPlugin hands out a WKVOAI; the class chain has single inheritance.
  W::WKVOAI* provider = static_cast<W::WKVOAI*>(plugin);
  return W::WKVOAI::fnContentDownloader(*resource, callback, userData, provider);
}
