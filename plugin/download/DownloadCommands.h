// Command records of the two downloads (keys 15 and 21).
#pragma once

#include <W/WMediaResource.h>

#include "frame/KVServiceCMD.h"
#include "frame/KVTypes.h"

namespace W {

// WKVOAI::download: into a host-named directory. The record never deletes
// the file.
struct KVDirectDownloadCMD : KVCallbackCMD<KVDirectDownloadCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  STRING url;
  STRING path;  // directory + "/" + name
  STRING name;
};

// fnContentDownloader: a media resource into "/tmp/".
struct KVDownloadCMD : KVCallbackCMD<WContentDownloadCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WMediaResource resource;
  STRING path;
};

}  // namespace W
