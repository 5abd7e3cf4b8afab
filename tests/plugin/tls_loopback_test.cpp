// The plug-in over real TLS: createPlugin and the real executor against an
// https server on loopback whose certificate comes from a CA made for the
// test. Only a certificate for 127.0.0.1 from the CA named by ca_file
// carries a request; anything else fails the connection before a request
// is served.
#include <W/WConfigManager.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <openssl/ssl.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "OperationTestSupport.h"
#include "TestTls.h"
#include "http_test_support.h"

extern "C" W::WPlugin* createPlugin();
extern "C" void destroyPlugin(W::WPlugin* plugin);

namespace {

// cpp-httplib's SSL server on a free loopback port answering every GET with
// one group, counting the requests it served.
class TlsServer {
 public:
  TlsServer(const std::string& certFile, const std::string& keyFile)
      : m_server(certFile.c_str(), keyFile.c_str()) {
    m_server.set_keep_alive_max_count(1);  // stop() need not wait for an idle connection
    m_server.Post(".*/upload", [this](const httplib::Request&, httplib::Response& res) {
      ++m_served;
      res.set_content(
          kvtest::okAnswer("<contentId>c-new</contentId><uploadUrl>" + uploadUrl + "</uploadUrl>"),
          "text/xml");
    });
    m_server.Get(".*", [this](const httplib::Request&, httplib::Response& res) {
      ++m_served;
      res.set_content(kvtest::okAnswer("<group groupId=\"g-1\"><groupName>Family</groupName>"
                                       "</group>"),
                      "text/xml");
    });
  }
  ~TlsServer() {
    m_server.stop();
    if (m_thread.joinable()) m_thread.join();
  }

  bool start() {
    m_port = m_server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0) return false;
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + httptest::kWait;
    while (!m_server.is_running() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return m_server.is_running();
  }
  std::string base() const { return "https://127.0.0.1:" + std::to_string(m_port); }
  int served() const { return m_served; }
  // What an upload slot names as the file's destination; set before start().
  std::string uploadUrl;

 private:
  httplib::SSLServer m_server;
  std::thread m_thread;
  std::atomic<int> m_served{0};
  int m_port = 0;
};

// A TLS server on a free loopback port that takes one connection, reads
// `readBytes` of what the client sends and then resets the connection, in
// the middle of a request body the client is still writing.
class ResettingTlsServer {
 public:
  ResettingTlsServer(const std::string& certFile, const std::string& keyFile, size_t readBytes)
      : m_listen(httptest::listenLoopback(&m_port)) {
    m_ctx = SSL_CTX_new(TLS_server_method());
    if (m_ctx == nullptr || m_listen < 0 ||
        SSL_CTX_use_certificate_chain_file(m_ctx, certFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(m_ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
      return;
    }
    m_thread = std::thread([this, readBytes] { serve(readBytes); });
  }
  ~ResettingTlsServer() {
    if (m_thread.joinable()) m_thread.join();
    if (m_listen >= 0) close(m_listen);
    SSL_CTX_free(m_ctx);
  }
  bool ok() const { return m_thread.joinable(); }
  std::string url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(m_port) + path;
  }

 private:
  void serve(size_t readBytes) {
    if (!httptest::readable(m_listen, httptest::kWait)) return;
    const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    timeval timeout{30, 0};  // a watchdog for the blocking reads
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    SSL* ssl = SSL_new(m_ctx);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) == 1) {
      char buffer[16384];
      size_t read = 0;
      while (read < readBytes) {
        const int n = SSL_read(ssl, buffer, sizeof buffer);
        if (n <= 0) break;
        read += static_cast<size_t>(n);
      }
    }
    const linger reset{1, 0};  // close sends a reset, not a goodbye
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    SSL_free(ssl);
    close(fd);
  }

  int m_port = 0;
  int m_listen = -1;
  SSL_CTX* m_ctx = nullptr;
  std::thread m_thread;
};

// A broken pipe never ends the host. SIGPIPE keeps its default action (it
// would end the process); a TLS peer that resets while the request body is
// still being written ends that request with a status, on the executor's
// thread (the upload) as on the host's (the upload slot, asked for
// synchronously), and the process goes on.
TEST(TlsLoopback, PeerResettingMidBodyEndsTheRequestNotTheProcess) {
  signal(SIGPIPE, SIG_DFL);
  kvtls::TestPki pki;
  ASSERT_TRUE(pki.ok()) << pki.error();
  const std::string photo = pki.dir() + "/photo.jpg";
  std::ofstream(photo, std::ios::binary) << std::string(16 << 20, 'p');
  const std::string longText(16 << 20, 'd');  // makes the slot request's body long
  struct Row {
    const char* name;
    bool slotResets;  // else the upload that follows the slot
    W::WSTATUS returned;
    W::WSTATUS reported;
  };
  const Row rows[] = {{"upload", false, 0, -107}, {"upload slot", true, -107, 12345}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ResettingTlsServer resetting(pki.certFile(), pki.keyFile(), 64 * 1024);
    ASSERT_TRUE(resetting.ok());
    TlsServer slots(pki.certFile(), pki.keyFile());
    slots.uploadUrl = resetting.url("/up/c-new");
    ASSERT_TRUE(slots.start());
    kvtest::configure("app-1", "token-1", "duid-1",
                      row.slotResets ? resetting.url("") : slots.base());
    W::WConfigManager::getInstance().setCPOption(kvtest::provider(), "ca_file", pki.caFile());
    W::WPlugin* plugin = createPlugin();
    ASSERT_NE(plugin, nullptr);
    W::WKVOAI* oai = static_cast<W::WKVOAI*>(plugin);
    kvtest::logIn(*oai);
    kvtest::Seen seen;
    EXPECT_EQ(oai->createContent(kvtest::groupWith("g-1"),
                                 kvtest::photoToUpload(row.slotResets ? longText : ""),
                                 W::KV_CONTENT_PHOTO, photo, &kvtest::onContentCreated, &seen),
              row.returned);
    if (row.returned == 0) {
      EXPECT_TRUE(seen.waitCalls(1));
    }
    destroyPlugin(plugin);
    EXPECT_EQ(seen.status, row.reported);
    kvtest::clearConfiguration();
  }
}

TEST(TlsLoopback, OnlyTheConfiguredCaAndTheRightNameCarryRequests) {
  kvtls::TestPki pki;
  ASSERT_TRUE(pki.ok()) << pki.error();
  const struct {
    const char* name;
    std::string certFile;
    std::string keyFile;
    std::string caFile;  // "" leaves the option unset: the system's store
    W::WSTATUS status;
    size_t groups;
    int served;
  } rows[] = {
      {"ca_file names the CA", pki.certFile(), pki.keyFile(), pki.caFile(), 0, 1, 1},
      {"no ca_file", pki.certFile(), pki.keyFile(), "", -100, 0, 0},
      {"certificate for another name", pki.otherCertFile(), pki.otherKeyFile(), pki.caFile(), -100,
       0, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    TlsServer server(r.certFile, r.keyFile);
    ASSERT_TRUE(server.start());
    kvtest::configure("app-1", "token-1", "duid-1", server.base());
    if (!r.caFile.empty()) {
      W::WConfigManager::getInstance().setCPOption(kvtest::provider(), "ca_file", r.caFile);
    }
    W::WPlugin* plugin = createPlugin();
    ASSERT_NE(plugin, nullptr);
    W::WKVOAI* oai = static_cast<W::WKVOAI*>(plugin);
    kvtest::logIn(*oai);

    kvtest::Seen seen;
    testing::internal::CaptureStdout();  // the failure's log line
    ASSERT_EQ(oai->retrieveGroupList(W::WPerson(), &kvtest::onGroupList, 0, 10,
                                     W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_ALL, &seen),
              0);
    EXPECT_TRUE(seen.waitCalls(1));
    testing::internal::GetCapturedStdout();
    destroyPlugin(plugin);
    EXPECT_EQ(seen.status, r.status);
    EXPECT_EQ(seen.groups.size(), r.groups);
    EXPECT_EQ(server.served(), r.served);
    kvtest::clearConfiguration();
  }
}

// An https session never sends its credentials over plain http: an upload
// slot naming an http URL is refused before anything is sent; any https
// host is fine (a service may upload elsewhere).
TEST(TlsLoopback, HttpsSessionNeverUploadsOverHttp) {
  kvtls::TestPki pki;
  ASSERT_TRUE(pki.ok()) << pki.error();
  const std::string photo = pki.dir() + "/photo.jpg";
  std::ofstream(photo) << "jpeg";
  const struct {
    const char* uploadUrl;
    W::WSTATUS status;
    size_t uploads;
  } rows[] = {
      {"http://127.0.0.1:9/up/c-new", -1, 0},
      {"https://upload.invalid/up/c-new", 0, 1},
      {"HTTPS://upload.invalid/up/c-new", 0, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.uploadUrl);
    TlsServer server(pki.certFile(), pki.keyFile());
    server.uploadUrl = row.uploadUrl;
    ASSERT_TRUE(server.start());
    kvtest::configure("app-1", "token-1", "duid-1", server.base());
    W::WConfigManager::getInstance().setCPOption(kvtest::provider(), "ca_file", pki.caFile());
    kvtest::CapturingExecutor executor;
    W::WKVOAI oai;
    kvtest::logIn(oai);
    W::WContent content;
    content.setMIMEType("image/jpeg");
    kvtest::Seen seen;
    testing::internal::CaptureStdout();  // the refusal's log line
    EXPECT_EQ(oai.createContent(kvtest::groupWith("g-1"), content, W::KV_CONTENT_PHOTO, photo,
                                &kvtest::onContentCreated, &seen),
              row.status);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(server.served(), 1) << "the slot was asked for over https";
    ASSERT_EQ(executor.size(), row.uploads);
    if (row.uploads == 1) {
      EXPECT_EQ(executor.last()->getURL(), row.uploadUrl);
    }
    executor.dropAll();
    kvtest::clearConfiguration();
  }
}

}  // namespace
