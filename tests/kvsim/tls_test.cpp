// kvsim over https: the URLs in its answers carry the scheme it serves, its
// log says how requests arrived, clients that do not trust its certificate
// get nothing, and a certificate it cannot load stops it from starting.
#include "KvsimTestSupport.h"
#include "TestTls.h"

namespace kvsim_test {
namespace {

class TlsTest : public ServerFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pki.ok()) << pki.error();
    kvsim::ServerConfig config;
    config.tlsCertPath = pki.certFile();
    config.tlsKeyPath = pki.keyFile();
    m_caFile = pki.caFile();
    startServer(std::move(config));
  }
  kvtls::TestPki pki;
};

TEST_F(TlsTest, AnswersCarryHttpsUrlsOfTheServer) {
  const std::string b = "https://127.0.0.1:" + std::to_string(m_port);
  EXPECT_EQ(base(), b);
  auto slot = post("g1/upload", "type=photo");
  ASSERT_TRUE(slot) << httplib::to_string(slot.error());
  EXPECT_EQ(dataOf(slot->body),
            "<contentId>c1042</contentId><uploadUrl>" + b + "/upload/c1042</uploadUrl>");
  auto list = get("me/group.list?search_index=0&search_count=1");
  ASSERT_TRUE(list);
  EXPECT_NE(list->body.find("<groupImageUrl>" + b + "/media/groups/g1/image.png</groupImageUrl>"),
            std::string::npos);
  auto photo = m_client->Get("/media/contents/c1001/photo.jpg");
  ASSERT_TRUE(photo);
  EXPECT_EQ(photo->body.size(), 8285u);
  EXPECT_NE(m_server->log().text().find("GET /media/contents/c1001/photo.jpg query=- app_id=- "
                                        "duid=- sig=none appToken=no body=0 code=200 fault=- "
                                        "scheme=https\n"),
            std::string::npos);
}

TEST_F(TlsTest, ClientsThatDoNotTrustItOrSpeakPlainHttpAreServedNothing) {
  httplib::Client plain("http://127.0.0.1:" + std::to_string(m_port));
  httplib::Client untrusted(base());  // the system's store, which lacks the test CA
  for (httplib::Client* c : {&plain, &untrusted}) {
    c->set_connection_timeout(5);
    c->set_read_timeout(10);
    auto res = c->Get("/media/contents/c1001/photo.jpg");
    EXPECT_FALSE(res && res->status == 200);
  }
  EXPECT_EQ(m_server->log().text(), "");
}

TEST(TlsConfig, CertificateOrKeyThatCannotBeLoadedStopsTheStart) {
  kvtls::TestPki pki;
  ASSERT_TRUE(pki.ok()) << pki.error();
  const std::pair<std::string, std::string> rows[] = {
      {pki.certFile(), pki.otherKeyFile()},  // a key of another certificate
      {pki.keyFile(), pki.certFile()},       // swapped
      {pki.certFile(), pki.dir() + "/missing.key"},
  };
  for (const auto& r : rows) {
    kvsim::ServerConfig config;
    config.tlsCertPath = r.first;
    config.tlsKeyPath = r.second;
    kvsim::Server server(std::move(config));
    std::string error;
    EXPECT_EQ(server.start(0, error), -1) << r.first << " " << r.second;
    EXPECT_EQ(error, "cannot load TLS certificate " + r.first + " with key " + r.second);
  }
}

}  // namespace
}  // namespace kvsim_test
