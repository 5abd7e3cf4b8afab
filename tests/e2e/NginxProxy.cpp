// Starting, configuring and stopping a private nginx for the end-to-end walks.
#include "NginxProxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in loopback(int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  return addr;
}

// A loopback port that was free a moment ago (bound to port 0, then closed).
int freePort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr = loopback(0);
  socklen_t length = sizeof addr;
  int port = -1;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
    port = ntohs(addr.sin_port);
  }
  close(fd);
  return port;
}

bool accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr = loopback(port);
  const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return connected;
}

std::string configText(const std::string& dir, const std::string& base, int port,
                       const std::string& upstream, const std::string& certFile,
                       const std::string& keyFile) {
  return "pid " + dir +
         "/nginx.pid;\n"
         "error_log " +
         dir +
         "/error.log info;\n"
         "events { worker_connections 64; }\n"
         "http {\n"
         "  log_format walk '$request_method $uri $status te=$sent_http_transfer_encoding "
         "location=$sent_http_location';\n"
         "  access_log " +
         dir +
         "/access.log walk;\n"
         "  client_body_temp_path " +
         dir +
         "/client_body;\n"
         "  proxy_temp_path " +
         dir +
         "/proxy;\n"
         "  fastcgi_temp_path " +
         dir +
         "/fastcgi;\n"
         "  uwsgi_temp_path " +
         dir +
         "/uwsgi;\n"
         "  scgi_temp_path " +
         dir +
         "/scgi;\n"
         "  client_max_body_size 64m;\n"
         "  server {\n"
         "    listen 127.0.0.1:" +
         std::to_string(port) +
         " ssl;\n"
         "    ssl_certificate " +
         certFile +
         ";\n"
         "    ssl_certificate_key " +
         keyFile +
         ";\n"
         "    location /media-old/ {\n"
         "      rewrite ^/media-old/(.*)$ " +
         base +
         "/media/$1 redirect;\n"
         "    }\n"
         "    location / {\n"
         "      proxy_pass " +
         upstream +
         ";\n"
         "      proxy_http_version 1.1;\n"
         "      proxy_buffering off;\n"
         "      sub_filter_types text/xml;\n"
         "      sub_filter '" +
         upstream + "/' '" + base +
         "/';\n"
         "      sub_filter_once off;\n"
         "    }\n"
         "  }\n"
         "}\n";
}

}  // namespace

NginxProxy::NginxProxy(const std::string& upstream, const std::string& certFile,
                       const std::string& keyFile) {
  // The port was free when picked; another process may take it before nginx
  // binds it, so a failed start is tried again.
  for (int attempt = 0; attempt < 3 && !running(); ++attempt) {
    startOnce(upstream, certFile, keyFile);
  }
}

NginxProxy::~NginxProxy() {
  stop();
}

bool NginxProxy::startOnce(const std::string& upstream, const std::string& certFile,
                           const std::string& keyFile) {
  const int port = freePort();
  const std::string dir = m_dir.path();
  const std::string base = "https://127.0.0.1:" + std::to_string(port);
  const std::string config = dir + "/nginx.conf";
  m_dir.write("nginx.conf", configText(dir, base, port, upstream, certFile, keyFile));
  const std::string prefix = dir + "/";
  const std::string errorLog = dir + "/error.log";
  const std::string output = dir + "/nginx.out";
  const pid_t parent = getpid();

  const pid_t pid = fork();
  if (pid == 0) {
    // Never outlives the test, whatever ends it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (in < 0 || out < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execl(kBinary, kBinary, "-p", prefix.c_str(), "-c", config.c_str(), "-e", errorLog.c_str(),
          "-g", "daemon off; master_process off;", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid < 0) {
    m_error = "cannot fork for nginx";
    return false;
  }
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(20);
  while (Clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      m_error = "nginx ended at start:\n" + readFile(errorLog) + readFile(output);
      return false;
    }
    if (accepts(port)) {
      m_pid = pid;
      m_baseUrl = base;
      m_error.clear();
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  m_error = "nginx did not listen within 20 s:\n" + readFile(errorLog);
  return false;
}

void NginxProxy::stop() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGTERM);
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (waitpid(m_pid, &status, WNOHANG) != m_pid) {
    if (Clock::now() >= deadline) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, &status, 0);
      ADD_FAILURE() << "nginx did not stop on SIGTERM";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  m_pid = -1;
}

std::vector<std::string> NginxProxy::accessLines() const {
  std::vector<std::string> lines;
  std::istringstream in(readFile(m_dir.path() + "/access.log"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace e2e
