// The walk over https, with certificates of a private CA made here: kvsim
// serving TLS itself, and kvsim behind nginx terminating TLS as a deployment
// runs it (chunked answers, a redirected media download). kvhost takes
// base_url and ca_file from its --config file only.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "E2eSupport.h"
#include "NginxProxy.h"
#include "TestTls.h"

namespace e2e {
namespace {

const size_t kPhotoBytes = 8285;  // c1001's photo.jpg in kvsim's family

// A kvhost --config file for the demo account; an empty `caFile` leaves the
// system's trust store in force.
std::string writeConfig(const TempDir& dir, const std::string& name, const std::string& baseUrl,
                        const std::string& caFile) {
  std::string text = "base_url=" + baseUrl + "\napp_id=" + kAppId + "\nAuthToken=" + kAuthToken +
                     "\nduid=" + kDuid + "\n";
  if (!caFile.empty()) text += "ca_file=" + caFile + "\n";
  return dir.write(name, text);
}

HostRun runWithConfig(const std::string& config, const std::vector<std::string>& args) {
  std::vector<std::string> all = {"--plugin", kPluginPath, "--json", "--timeout",
                                  "20",       "--config",  config};
  all.insert(all.end(), args.begin(), args.end());
  return runKvhostBare(all);
}

// Runs one command that must end with `status`; returns its result line.
nlohmann::json expectStatus(const std::string& config, const std::vector<std::string>& args,
                            const std::string& op, long long status = 0) {
  HostRun run = runWithConfig(config, args);
  EXPECT_EQ(run.process.exitCode, status == 0 ? 0 : 1) << run.describe();
  const nlohmann::json& line = run.last(op);
  EXPECT_EQ(number(line, "/status"), status) << run.describe();
  return line;
}

// auth, groups, a one-item feed and a media download from `base`, trusting
// `caFile`; `mediaUrl` is what the download fetches (it may redirect).
void walk(const std::string& config, const std::string& base, const std::string& mediaUrl,
          const TempDir& dir) {
  SCOPED_TRACE(base);
  expectStatus(config, {"auth"}, "auth");
  const nlohmann::json groups = expectStatus(config, {"groups"}, "groups");
  ASSERT_EQ(field(groups, "/groups").size(), 2u);
  EXPECT_EQ(text(groups, "/groups/0/image/url"), base + "/media/groups/g1/thumb_274X204.png");
  const nlohmann::json feed =
      expectStatus(config, {"feed", "g1", "--before", "c1002", "--count", "1"}, "feed");
  ASSERT_EQ(field(feed, "/contents").size(), 1u);
  EXPECT_EQ(text(feed, "/contents/0/url"), base + "/media/contents/c1001/photo.jpg");
  const nlohmann::json stored =
      expectStatus(config, {"download", mediaUrl, dir.path()}, "download");
  EXPECT_EQ(text(stored, "/name"), "photo.jpg");
  const std::string photo = readFile(dir.path() + "/photo.jpg");
  EXPECT_EQ(photo.size(), kPhotoBytes);
  EXPECT_EQ(photo.compare(0, 2, "\xff\xd8"), 0) << "a JPEG";
}

TEST(Https, KvsimOverTlsTrustsOnlyTheConfiguredCa) {
  kvtls::TestPki pki;
  ASSERT_TRUE(pki.ok()) << pki.error();
  Kvsim sim({"--tls-cert", pki.certFile(), "--tls-key", pki.keyFile()});
  ASSERT_TRUE(sim.running()) << sim.startError();
  ASSERT_EQ(sim.baseUrl().rfind("https://127.0.0.1:", 0), 0u) << sim.baseUrl();
  TempDir dir;

  // Without ca_file the system's store decides, and it lacks the test CA.
  expectStatus(writeConfig(dir, "system.conf", sim.baseUrl(), ""), {"auth"}, "auth", -100);
  EXPECT_EQ(sim.logLines().size(), 0u) << "no request was served";

  walk(writeConfig(dir, "kv.conf", sim.baseUrl(), pki.caFile()), sim.baseUrl(),
       sim.baseUrl() + "/media/contents/c1001/photo.jpg", dir);
  EXPECT_EQ(sim.logLinesWith({"scheme=https"}).size(), sim.logLines().size());
  const std::pair<std::string, size_t> served[] = {
      {"POST " + kService + "auth ", 4},  // every command but auth authenticates first
      {"GET " + kService + "me/group.list ", 1},
      {"GET " + kService + "g1/feeds ", 1},
      {"GET /media/contents/c1001/photo.jpg ", 1},
  };
  for (const auto& s : served) {
    EXPECT_EQ(sim.logLinesWith({s.first, "code=200"}).size(), s.second) << s.first;
  }
}

TEST(Https, WalkThroughNginxTerminatingTls) {
  if (access(NginxProxy::kBinary, X_OK) != 0) {
    GTEST_SKIP() << NginxProxy::kBinary << " is absent: install nginx-light (scripts/setup does)";
  }
  kvtls::TestPki pki;
  ASSERT_TRUE(pki.ok()) << pki.error();
  Kvsim sim;
  ASSERT_TRUE(sim.running()) << sim.startError();
  NginxProxy nginx(sim.baseUrl(), pki.certFile(), pki.keyFile());
  ASSERT_TRUE(nginx.running()) << nginx.startError();
  const std::string base = nginx.baseUrl();
  TempDir dir;
  const std::string config = writeConfig(dir, "kv.conf", base, pki.caFile());

  walk(config, base, base + "/media-old/contents/c1001/photo.jpg", dir);
  // The slot's upload URL comes back rewritten to nginx, so the file goes through it too.
  const std::string photo = dir.write("p.jpg", "\xff\xd8\xff\xe0" + std::string(48 * 1024, 'p'));
  const nlohmann::json uploaded = expectStatus(config, {"upload", "g1", photo}, "upload");
  EXPECT_EQ(text(uploaded, "/contents/0/uid"), "c1042");

  nginx.stop();  // its access log is complete after this
  const std::vector<std::string> access = nginx.accessLines();
  const std::string expected[] = {
      "GET " + kService + "me/group.list 200 te=chunked location=-",
      "GET /media-old/contents/c1001/photo.jpg 302 te=- location=" + base +
          "/media/contents/c1001/photo.jpg",
      "GET /media/contents/c1001/photo.jpg 200 te=- location=-",
      "POST /upload/c1042 200 te=chunked location=-",
  };
  for (const std::string& line : expected) {
    EXPECT_EQ(std::count(access.begin(), access.end(), line), 1) << line;
  }
  EXPECT_EQ(
      sim.logLinesWith({"GET /media/contents/c1001/photo.jpg ", "code=200", "scheme=http"}).size(),
      1u);
  EXPECT_EQ(sim.logLinesWith({"POST /upload/c1042 ", "code=200"}).size(), 1u);
}

}  // namespace
}  // namespace e2e
