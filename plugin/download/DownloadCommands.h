// Command records of the two downloads (keys 15 and 21).
#pragma once

#include <W/WMediaResource.h>

#include "frame/KVServiceCMD.h"
#include "frame/KVTypes.h"

namespace W {

// WKVOAI::download: into a host-named directory. The record never deletes
// the file.
struct KVDirectDownloadCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  STRING url;
  STRING path;  // directory + "/" + name
  STRING name;
  KVDirectDownloadCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

// fnContentDownloader: a media resource into "/tmp/".
struct KVDownloadCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WMediaResource resource;
  WContentDownloadCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
  STRING path;
};

}  // namespace W
