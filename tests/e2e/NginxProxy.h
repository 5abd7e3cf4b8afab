// nginx in front of a service, as a deployment puts it, for the end-to-end
// walks: it terminates TLS and proxies to a plain-http upstream. Everything
// it writes (config, pid file, logs, temp paths) stays in a private
// directory; the system's /etc/nginx and /var/lib/nginx are never used.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "E2eSupport.h"

namespace e2e {

class NginxProxy {
 public:
  static constexpr const char* kBinary = "/usr/sbin/nginx";

  // Starts nginx on a free 127.0.0.1 port with the PEM certificate and key,
  // proxying to `upstream` ("http://127.0.0.1:PORT", no trailing slash):
  // - answers of type text/xml have `upstream` rewritten to baseUrl() in
  //   their bodies, so their length is unknown and they go out chunked;
  // - GET /media-old/PATH answers 302 to baseUrl() + "/media/PATH";
  // - answers stream through unbuffered; request bodies up to 64 MiB.
  // One process (daemon and master process off), which dies with the test.
  NginxProxy(const std::string& upstream, const std::string& certFile, const std::string& keyFile);
  // stop().
  ~NginxProxy();

  NginxProxy(const NginxProxy&) = delete;
  NginxProxy& operator=(const NginxProxy&) = delete;

  bool running() const { return m_pid > 0; }
  // What went wrong while starting (with nginx's error log), for messages.
  const std::string& startError() const { return m_error; }
  // "https://127.0.0.1:PORT".
  const std::string& baseUrl() const { return m_baseUrl; }

  // SIGTERM, then SIGKILL when it has not ended after ten seconds (a test
  // failure). Safe to call twice.
  void stop();
  // Access log lines "METHOD URI STATUS te=TRANSFER-ENCODING location=LOCATION"
  // ("-" for an absent header). Complete once stop() has returned.
  std::vector<std::string> accessLines() const;

 private:
  bool startOnce(const std::string& upstream, const std::string& certFile,
                 const std::string& keyFile);

  TempDir m_dir;
  pid_t m_pid = -1;
  std::string m_baseUrl;
  std::string m_error;
};

}  // namespace e2e
