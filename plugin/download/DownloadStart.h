// The hand-over shared by both downloads: create the command, register it,
// and queue the GET whose body the host writes to the file.
#pragma once

#include <memory>

#include "common/OperationRequest.h"
#include "frame/WKVOAI.h"

namespace W {

// Creates a `Cmd` with `key`, the caller's callback and user data and the
// provider, lets `fill` add its inputs, registers it and queues the GET of
// `url` into `path` (created with permissions `fileMode`). Returns
// WSTATUS_SUCCESS, or the transport's negative status (logged there; the
// transport has freed the command) after unregistering it.
template <class Cmd, class Callback, class Fill>
WSTATUS startDownload(WKVOAI& oai, UINT32 key, const STRING& url, const STRING& path,
                      unsigned fileMode, Callback callback, VOID* userData, Fill fill) {
  std::unique_ptr<Cmd> cmd = makeCommand<Cmd>(oai, key, callback, userData);
  fill(*cmd);
  oai.addCMD(cmd.get());
  KVService* service = oai.getService();
  return handOverCommand(oai, std::move(cmd), [&](KVServiceCMD* handedOver) {
    return service->retrieveFData(url, "", handedOver, path, fileMode);
  });
}

}  // namespace W
