// What a request reads from a server that answers badly, by the limits set
// on it: the size of an answer kept in memory, the whole time of a
// transfer, headers only, redirects, and the permissions of a downloaded
// file. Each server here would otherwise keep the caller for ever or fill
// its memory.
#include <W/HttpRequest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "TestFiles.h"
#include "http_test_support.h"

namespace {

using W::HttpRequest;

// Writes `chunk` after `pause` each time, until the client goes away or,
// with a `limit`, once that many bytes are out.
void stream(httplib::Response& res, const std::string& type, std::string chunk,
            std::chrono::milliseconds pause, size_t limit = 0) {
  res.set_chunked_content_provider(type, [=](size_t offset, httplib::DataSink& sink) {
    if (limit > 0 && offset >= limit) {
      sink.done();
      return true;
    }
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
    return sink.write(chunk.data(), chunk.size());
  });
}

class HttpLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& http = server.http();
    http.Get("/big", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(256 * 1024, 'b'), "text/xml");
    });
    http.Get("/endless", [](const httplib::Request&, httplib::Response& res) {
      stream(res, "video/mp4", std::string(16 * 1024, 'v'), std::chrono::milliseconds(0));
    });
    http.Get("/drip", [](const httplib::Request&, httplib::Response& res) {
      // Ends after 10 s, so that a request without its total time still ends.
      stream(res, "text/xml", "ab", std::chrono::milliseconds(100), 200);
    });
    http.Get("/redirect",
             [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/target"); });
    http.Get("/to-ftp", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("ftp://127.0.0.1:1/file");
    });
    http.Get("/target", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("arrived", "text/plain");
    });
    // A chain of N redirects before the target.
    http.Get(R"(/hop/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
      const int left = std::stoi(req.matches[1]);
      if (left == 0) return res.set_content("arrived", "text/plain");
      res.set_redirect("/hop/" + std::to_string(left - 1));
    });
    // To https on this plain-http port: the redirect is taken, the handshake fails.
    http.Get("/to-https", [this](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("https" + server.url("/target").substr(4));
    });
    // Any code, with a body where the code has one.
    http.Get(R"(/code/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
      res.status = std::stoi(req.matches[1]);
      if (res.status != 204 && res.status != 304) res.set_content("new bytes", "image/jpeg");
    });
    // Announces more than the limit, then sends a few bytes and ends.
    http.Get("/announced", [](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(1 << 20, "text/xml",
                               [](size_t offset, size_t, httplib::DataSink& sink) {
                                 return offset == 0 && sink.write("<rsp>", 5);
                               });
    });
    ASSERT_TRUE(server.start());
  }

  httptest::LoopbackServer server;
};

TEST_F(HttpLimits, EachLimitEndsItsTransferWithItsStatus) {
  struct Row {
    const char* name;
    const char* path;
    std::function<void(HttpRequest&)> limit;
    int status;
    int code;
    std::string payload;
    std::string contentType;
  };
  const Row rows[] = {
      {"answer over the limit", "/big", [](HttpRequest& r) { r.setMaxBodyBytes(64 * 1024); }, 47,
       200, "", ""},
      {"endless answer over the limit", "/endless",
       [](HttpRequest& r) { r.setMaxBodyBytes(64 * 1024); }, 47, 200, "", ""},
      {"answer at the limit", "/big", [](HttpRequest& r) { r.setMaxBodyBytes(256 * 1024); }, 0, 200,
       std::string(256 * 1024, 'b'), "text/xml"},
      {"dripping answer past the total time", "/drip",
       [](HttpRequest& r) { r.setTotalTimeout(300); }, 42, 200, "", ""},
      {"headers only of an endless answer", "/endless",
       [](HttpRequest& r) {
         r.setHeadersOnly(true);
         r.setMaxBodyBytes(1 << 20);  // ends the transfer should the headers-only stop fail
       },
       0, 200, "", "video/mp4"},
      {"redirect not followed", "/redirect", [](HttpRequest&) {}, 0, 302, "", ""},
      {"redirect followed", "/redirect", [](HttpRequest& r) { r.setFollowRedirects(true); }, 0, 200,
       "arrived", "text/plain"},
      {"redirect to a protocol outside http and https", "/to-ftp",
       [](HttpRequest& r) { r.setFollowRedirects(true); }, 5, 302, "", ""},
      {"redirect to https", "/to-https", [](HttpRequest& r) { r.setFollowRedirects(true); }, 41,
       302, "", ""},
      {"five redirects followed", "/hop/5", [](HttpRequest& r) { r.setFollowRedirects(true); }, 0,
       200, "arrived", "text/plain"},
      {"six redirects are too many", "/hop/6", [](HttpRequest& r) { r.setFollowRedirects(true); },
       43, 302, "", ""},
      {"a URL outside http and https", "file:///dev/null", [](HttpRequest&) {}, 5, 0, "", ""},
      {"announced length over the limit, refused before its body", "/announced",
       [](HttpRequest& r) { r.setMaxBodyBytes(64 * 1024); }, 47, 200, "", ""},
      // The resolver fails on its own (".invalid" is never a host); the
      // connect timeout only bounds a resolver that hangs.
      {"host that does not resolve", "http://kv-test.invalid/",
       [](HttpRequest& r) { r.setConnectTimeout(30000); }, 41, 0, "", ""},
  };
  for (const Row& row : rows) {
    const std::string url = row.path[0] == '/' ? server.url(row.path) : row.path;
    HttpRequest request(W::HTTP_GET, url, W::HttpHeader(), "", nullptr, nullptr);
    row.limit(request);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(request.execute(), row.status) << row.name;
    // Far above the slowest expected end (the 300 ms limit, a failing resolver).
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(40)) << row.name;
    EXPECT_EQ(request.getResponse().getHttpResponseCode(), row.code) << row.name;
    if (row.status == 0) {
      EXPECT_EQ(request.getResponse().getPayload(), row.payload) << row.name;
      EXPECT_EQ(request.getResponse().getContentType().rfind(row.contentType, 0), 0u) << row.name;
    }
  }
}

TEST_F(HttpLimits, DownloadedFileGetsTheAskedPermissionsAndNoSizeLimit) {
  const struct {
    bool setMode;
    unsigned mode;
  } rows[] = {{false, 0644}, {true, 0600}};
  for (const auto& row : rows) {
    const kvtest::TempDir dir("kv-limits");
    const std::string path = dir.file("big.bin");
    HttpRequest request(W::HTTP_GET, server.url("/big"), W::HttpHeader(), nullptr, nullptr, path);
    request.setMaxBodyBytes(1024);  // answers kept in memory only
    if (row.setMode) request.setFileMode(row.mode);
    EXPECT_EQ(request.execute(), 0);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, row.mode);
    EXPECT_EQ(st.st_size, 256 * 1024);
  }
}

// A file target is replaced only by a whole 200 answer within the file
// limit; every other answer leaves the file that was there, and no
// temporary file stays behind.
TEST_F(HttpLimits, FileTargetIsReplacedOnlyByA200WithinItsLimit) {
  const struct {
    const char* path;
    long long maxFileBytes;
    int status;
    int code;
    bool replaced;
  } rows[] = {
      {"/code/200", 0, 0, 200, true},           {"/code/201", 0, 0, 201, false},
      {"/code/204", 0, 0, 204, false},          {"/code/206", 0, 0, 206, false},
      {"/code/304", 0, 0, 304, false},          {"/big", 256 * 1024, 0, 200, true},
      {"/big", 256 * 1024 - 1, 47, 200, false},  // announced: refused before the body
      {"/endless", 64 * 1024, 47, 200, false},
  };
  for (const auto& row : rows) {
    const kvtest::TempDir dir("kv-limits");
    const std::string path = dir.write("target.jpg", "old bytes");
    HttpRequest request(W::HTTP_GET, server.url(row.path), W::HttpHeader(), nullptr, nullptr, path);
    request.setMaxFileBytes(row.maxFileBytes);
    const std::string name = std::string(row.path) + " within " + std::to_string(row.maxFileBytes);
    EXPECT_EQ(request.execute(), row.status) << name;
    EXPECT_EQ(request.getResponse().getHttpResponseCode(), row.code) << name;
    const std::string now = kvtest::readFile(path);
    EXPECT_EQ(now != "old bytes", row.replaced) << name << ": " << now.size() << " bytes";
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"target.jpg"}) << name;
  }
}

}  // namespace
