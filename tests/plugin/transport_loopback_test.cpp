// The session's request starters through the real host executor against
// loopback servers: what reaches the wire, and how completions come back.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "FrameTestCommands.h"
#include "PluginTestSupport.h"
#include "TestFiles.h"
#include "http_test_support.h"

namespace {

using kvtest::CountingCMD;

// Records the completions a standalone session dispatches.
struct Completions : kvtest::CallLog {
  std::vector<std::pair<W::SESSION_STATUS, W::HttpResponse>> seen;
  bool waitFor(int n) { return waitCalls(n); }
};

Completions* g_completions = nullptr;

void recordCompletion(W::SESSION_STATUS status, const W::HttpResponse& response, W::KVServiceCMD*) {
  g_completions->record([&] { g_completions->seen.emplace_back(status, response); });
}

class Transport : public testing::Test {
 protected:
  void SetUp() override {
    g_completions = &completions;
    service.setFnCallbackPtr(recordCompletion);
  }
  void TearDown() override { g_completions = nullptr; }

  std::atomic<int> deaths{0};
  Completions completions;
  W::KVService service{"Kinvale", kvtest::provider()};
};

TEST_F(Transport, GetSendsHeadersInKeyOrderAndDeletesTheCommandOnce) {
  httptest::RawOnceServer server(
      "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 6\r\n\r\n<rsp/>");
  ASSERT_TRUE(server.ok());
  W::KVHeaderMap headers{{"appToken", "t"},
                         {"DATE", "Mon, 7 Dec 2026 9:5:3 GMT"},
                         {"Authorization", " auth_identifier=\"KV_AUTH_V1\""}};
  ASSERT_EQ(service.getDataRequest(server.url("/openapi/service/kinvale/me/group.list?a=1"),
                                   headers, "", new CountingCMD(deaths)),
            0);
  ASSERT_TRUE(completions.waitFor(1));
  std::string wire = server.request();
  EXPECT_EQ(wire.rfind("GET /openapi/service/kinvale/me/group.list?a=1 HTTP/1.1\r\n", 0), 0u);
  size_t a = wire.find("\r\nAuthorization:");
  size_t d = wire.find("\r\nDATE: Mon, 7 Dec 2026 9:5:3 GMT\r\n");
  size_t t = wire.find("\r\nappToken: t\r\n");
  ASSERT_NE(a, std::string::npos);
  ASSERT_NE(d, std::string::npos);
  ASSERT_NE(t, std::string::npos);
  EXPECT_LT(a, d);
  EXPECT_LT(d, t);
  EXPECT_EQ(completions.seen[0].first, W::SESSION_OK);
  EXPECT_EQ(completions.seen[0].second.getHttpResponseCode(), 200);
  EXPECT_EQ(completions.seen[0].second.getPayload(), "<rsp/>");
  // The arguments go right after the callback returns; polled with a watchdog.
  const auto deadline = std::chrono::steady_clock::now() + httptest::kWait;
  while (service.pendingArgs() != 0 && std::chrono::steady_clock::now() < deadline) usleep(1000);
  EXPECT_EQ(service.pendingArgs(), 0u);
  EXPECT_EQ(deaths.load(), 1);
}

TEST_F(Transport, PostSendsTheFormBody) {
  httptest::RawOnceServer server("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  ASSERT_TRUE(server.ok());
  ASSERT_EQ(service.postDataRequest(server.url("/x"), {}, "group_name=Tom+%26+Jerry",
                                    new CountingCMD(deaths)),
            0);
  ASSERT_TRUE(completions.waitFor(1));
  std::string wire = server.request();
  EXPECT_EQ(wire.rfind("POST /x HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(wire.find("\r\n\r\ngroup_name=Tom+%26+Jerry"), std::string::npos);
}

TEST_F(Transport, UploadSendsOneFilePartWithItsTypeAndTracksProgress) {
  httptest::LoopbackServer server;
  std::string partName, partType, partBytes, partFile;
  server.http().Post("/up", [&](const httplib::Request& req, httplib::Response& res) {
    for (const auto& f : req.files) {
      partName = f.first;
      partType = f.second.content_type;
      partBytes = f.second.content;
      partFile = f.second.filename;
    }
    res.set_content("<rsp/>", "text/xml");
  });
  ASSERT_TRUE(server.start());
  std::string bytes(70000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  const kvtest::TempDir dir("kv-upload");
  const std::string path = dir.write("upload.bin", bytes);

  ASSERT_EQ(service.postDataRequest(server.url("/up"), {}, {{"filename", "image/jpeg"}},
                                    new CountingCMD(deaths), path, static_cast<long>(bytes.size())),
            0);
  ASSERT_TRUE(completions.waitFor(1));
  EXPECT_EQ(completions.seen[0].first, W::SESSION_OK);
  EXPECT_EQ(partName, "filename");
  EXPECT_EQ(partType, "image/jpeg");
  EXPECT_EQ(partBytes, bytes);
  double done = -1;
  double total = -1;
  service.getProgressStatus(done, total);
  // Finished: still current with its whole body sent (the file and the
  // part's framing), or no longer current and never polled (0 of 0).
  EXPECT_EQ(done, total);
  EXPECT_TRUE(total == 0.0 || total > 70000.0) << total;
}

// Keeps connections alive, and drops one that is reused for an upload: what a
// server does that closed an idle connection just as the client sent on it.
// libcurl then sends the request again on a fresh connection, which needs the
// upload's body from its start.
class DroppingServer {
 public:
  DroppingServer() {
    m_listen = httptest::listenLoopback(&m_port);
    if (m_listen >= 0) m_thread = std::thread([this] { acceptAll(); });
  }
  ~DroppingServer() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    for (std::thread& t : m_connections) t.join();
    if (m_listen >= 0) close(m_listen);
  }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
  }
  std::atomic<int> uploadsDropped{0};
  std::atomic<int> uploadsAnswered{0};

 private:
  void acceptAll() {
    while (!m_stop) {
      if (!httptest::readable(m_listen, std::chrono::milliseconds(50))) continue;
      const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) m_connections.emplace_back([this, fd] { serve(fd); });
    }
  }
  // Appends what the client sends next; false at its end, or when stopping.
  bool readMore(int fd, std::string& in) {
    char buf[65536];
    const auto deadline = std::chrono::steady_clock::now() + httptest::kWait;
    while (!m_stop && std::chrono::steady_clock::now() < deadline) {
      if (!httptest::readable(fd, std::chrono::milliseconds(50))) continue;
      const ssize_t n = recv(fd, buf, sizeof buf, 0);
      if (n <= 0) return false;
      in.append(buf, static_cast<size_t>(n));
      return true;
    }
    return false;
  }
  void serve(int fd) {
    std::string in;
    for (int served = 0;; ++served) {
      size_t end;
      while ((end = in.find("\r\n\r\n")) == std::string::npos && readMore(fd, in)) {
      }
      if (end == std::string::npos) break;
      const bool upload = in.compare(0, 9, "POST /up ") == 0;
      if (upload && served > 0) {
        ++uploadsDropped;
        break;
      }
      const std::string key = "\r\nContent-Length: ";
      const size_t at = in.find(key);
      const size_t length = end + 4 + (at < end ? std::stoul(in.substr(at + key.size())) : 0);
      while (in.size() < length && readMore(fd, in)) {
      }
      if (in.size() < length) break;
      in.erase(0, length);
      if (upload) ++uploadsAnswered;
      const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n<rsp/>";
      send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
    }
    close(fd);
  }

  int m_listen = -1;
  int m_port = 0;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
  std::vector<std::thread> m_connections;
};

TEST_F(Transport, UploadSurvivesAKeptConnectionThatTheServerDropped) {
  DroppingServer server;
  const kvtest::TempDir dir("kv-upload");
  const std::string bytes(200000, 'u');
  const std::string path = dir.write("upload.bin", bytes);
  ASSERT_EQ(service.getDataRequest(server.url("/first"), {}, "", new CountingCMD(deaths)), 0);
  ASSERT_TRUE(completions.waitFor(1));
  ASSERT_EQ(service.postDataRequest(server.url("/up"), {}, {{"filename", "image/jpeg"}},
                                    new CountingCMD(deaths), path, static_cast<long>(bytes.size())),
            0);
  ASSERT_TRUE(completions.waitFor(2));
  EXPECT_EQ(completions.seen[1].first, W::SESSION_OK) << "the upload did not survive the drop";
  EXPECT_EQ(completions.seen[1].second.getHttpResponseCode(), 200);
  EXPECT_EQ(server.uploadsAnswered.load(), 1);
}

TEST_F(Transport, FileDownloadLandsAtThePath) {
  httptest::LoopbackServer server;
  server.http().Get("/f.bin", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::string(5000, 'z'), "application/octet-stream");
  });
  ASSERT_TRUE(server.start());
  const kvtest::TempDir dir("kv-transport");
  const std::string path = dir.file("f.bin");
  ASSERT_EQ(service.retrieveFData(server.url("/f.bin"), "", new CountingCMD(deaths), path), 0);
  ASSERT_TRUE(completions.waitFor(1));
  EXPECT_EQ(completions.seen[0].second.getHttpResponseCode(), 200);
  EXPECT_EQ(kvtest::readFile(path), std::string(5000, 'z'));
}

TEST_F(Transport, SynchronousRequestsFillTheResponseOnlyOnSuccess) {
  httptest::LoopbackServer server;
  server.http().Post("/slot", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content("<rsp>" + req.body + "</rsp>", "text/xml");
  });
  ASSERT_TRUE(server.start());
  W::HttpResponse response;
  ASSERT_EQ(service.postFData(server.url("/slot"), {}, "type=photo&", response), 0);
  EXPECT_EQ(response.getHttpResponseCode(), 200);
  EXPECT_EQ(response.getPayload(), "<rsp>type=photo&</rsp>");
  EXPECT_EQ(response.getContentType(), "text/xml");

  W::HttpResponse untouched;
  untouched.setHttpResponseCode(999);
  testing::internal::CaptureStdout();
  std::string refused = "http://127.0.0.1:" + std::to_string(httptest::closedPort()) + "/x";
  EXPECT_EQ(service.retrieveFData(refused, "", untouched), -100);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("(-100)\tFILE:src/KVService("),
            std::string::npos);
  EXPECT_EQ(untouched.getHttpResponseCode(), 999);
}

TEST_F(Transport, RefusedConnectionCompletesWithItsSessionStatus) {
  std::string refused = "http://127.0.0.1:" + std::to_string(httptest::closedPort()) + "/x";
  ASSERT_EQ(service.getDataRequest(refused, {}, "", new CountingCMD(deaths)), 0);
  ASSERT_TRUE(completions.waitFor(1));
  EXPECT_EQ(completions.seen[0].first, W::SESSION_CONNECT_FAILED);
}

TEST_F(Transport, HeaderWithLineBreakIsRefusedAndReleased) {
  testing::internal::CaptureStdout();
  EXPECT_LT(service.getDataRequest("http://127.0.0.1:1/x", {{"DATE", "x\r\nEvil: 1"}}, "",
                                   new CountingCMD(deaths)),
            0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(deaths.load(), 1);
  EXPECT_EQ(service.pendingArgs(), 0u);
}

}  // namespace
