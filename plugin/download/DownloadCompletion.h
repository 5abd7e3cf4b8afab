// The completion sequence of both downloads, written once: the status, the
// stream on the downloaded file, the cancel case that removes the file, and
// the session's transfer bookkeeping.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "download/DownloadStream.h"
#include "frame/WKVOAICompletion.h"

namespace W {

// Completes a download command whose file is `cmd->path`. A 200 answer
// taken without a pending cancel opens the file into `stream` (binary):
// WSTATUS_SUCCESS when it opens, else WSTATUS_FAILURE; other answers give
// the mapped HTTP code or session status, and leave the stream closed. Only
// a 200 brings the file (the host stores nothing else), so a code the
// tables map to success (201, 304) fails with WSTATUS_FAILURE. Then: no
// callback resets the cancel flag; a pending cancel removes a file the
// stream opened and tells the cancel callback; otherwise `report(status)`
// runs (the stream is open exactly on WSTATUS_SUCCESS). Finally the stream
// is closed and the command unregistered.
template <class Cmd, class Report>
void completeDownload(SESSION_STATUS status, const HttpResponse& response, Cmd* cmd,
                      std::ifstream& stream, Report report) {
  WKVOAI& oai = completingProvider(cmd);
  KVService* service = oai.getService();
  service->resetReqStatus(cmd);
  WSTATUS result = oai.decideStatus(status, response, [&](const STRING&) {
    if (!openDownloadStream(stream, cmd->path)) return WSTATUS_FAILURE;
    service->updateProgressStatus(cmd);
    return WSTATUS_SUCCESS;
  });
  // No file without an open stream: a 201 or 304 brought none (a failure of
  // its own, logged), and a 200 left unread for a cancel is not a success.
  if (result == WSTATUS_SUCCESS && !stream.is_open()) {
    const bool noFile = status == SESSION_OK && response.getHttpResponseCode() != 200;
    result = noFile ? KV_LOG_OAI(WSTATUS_FAILURE) : WSTATUS_FAILURE;
  }
  if (cmd->callback == nullptr) {
    oai.cancelFlagReset();
  } else if (oai.takeCancelRequest()) {
    // Only a file this completion opened is known to be complete and ours.
    if (stream.is_open()) {
      stream.close();
      std::remove(cmd->path.c_str());
      sync();
    }
    KVCompletionScope::markReported();
    oai.cbCancelDone(WSTATUS_SUCCESS, cmd->userData);
  } else {
    KVCompletionScope::markReported();
    report(result);
  }
  if (stream.is_open()) stream.close();
  service->resetProgressStatus(cmd);
  oai.cleanupCMD(cmd);
}

}  // namespace W
