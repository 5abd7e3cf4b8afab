// download (the provider's direct download), fetch (its content
// downloader) and mime (a plain request through the host's HTTP layer).
#include <W/HttpRequest.h>
#include <W/WMediaResource.h>
#include <W/WStatus.h>

#include <cstdio>

#include "Commands.h"

namespace kvhost {

Outcome runDownload(Context& c) {
  const Invocation& inv = c.invocation;
  const std::string url = inv.arg(0);
  const std::string dir = inv.arg(1);
  const std::string name = inv.arg(2);
  RunMode mode;
  mode.transfer = true;
  return c.driver.run(
      "download",
      [&](void* ud) {
        return c.provider.download(c.provider.getContentProvider(), url, dir, name,
                                   &callbacks::onDirectDownload, ud);
      },
      mode);
}

Outcome runFetch(Context& c) {
  const ContentDownloaderEntry entry = c.loader.contentDownloader();
  if (entry == nullptr) {
    std::fprintf(stderr, "kvhost: fetch: the plug-in does not export kvContentDownloader\n");
    return Outcome{Outcome::kFailed, 0};
  }
  W::WMediaResource resource;
  resource.setContentProvider(c.provider.getContentProvider());
  resource.setResourceURL(c.invocation.arg(0));
  c.driver.context().fetchOutPath = c.invocation.text("out");
  RunMode mode;
  mode.transfer = true;
  return c.driver.run(
      "fetch",
      [&](void* ud) {
        return entry(&resource, &callbacks::onContentDownload, ud, c.loader.plugin());
      },
      mode);
}

namespace {

// Statuses for the plain probe, which has no plug-in to map them.
int probeStatus(W::SESSION_STATUS session, int httpCode) {
  if (session == W::SESSION_CONNECT_FAILED) return W::WSTATUS_CONNECT_FAILED;
  if (session == W::SESSION_TIMED_OUT) return W::WSTATUS_TIMEOUT;
  if (session != W::SESSION_OK || httpCode != 200) return W::WSTATUS_FAILURE;
  return 0;
}

}  // namespace

Outcome runMime(Context& c) {
  const std::string url = c.invocation.arg(0);
  W::HttpRequest request(W::HTTP_GET, url, W::HttpHeader(), std::string(), nullptr, nullptr);
  const long timeoutMs = c.invocation.timeoutSec * 1000;
  request.setConnectTimeout(timeoutMs);
  request.setStallTimeout(timeoutMs);
  const W::SESSION_STATUS session = static_cast<W::SESSION_STATUS>(request.execute());
  const W::HttpResponse& response = request.getResponse();

  Report report;
  report.op = "mime";
  report.status = probeStatus(session, response.getHttpResponseCode());
  report.values["url"] = url;
  report.values["http_code"] = response.getHttpResponseCode();
  report.values["mime"] = response.getContentType();
  if (session != W::SESSION_OK) report.values["session_status"] = static_cast<int>(session);
  c.driver.emit(report);
  return Outcome{Outcome::kCompleted, report.status};
}

}  // namespace kvhost
