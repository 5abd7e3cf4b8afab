// The real executor against loopback servers: wire bytes, file targets,
// uploads, progress, cancel, flush and the transport statuses.
#include <W/HttpDelegator.h>
#include <W/HttpRequest.h>

#include "TestFiles.h"
#include "ThreadWait.h"
#include "http_test_support.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <sstream>

namespace {

using namespace httptest;
using W::HttpDelegator;
using W::HttpHeader;
using W::HttpRequest;

// Milliseconds since `start`, printable when a bound fails.
long long elapsedMs(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// The header lines of a raw request, in the order they came.
std::vector<std::string> headerLines(const std::string& raw) {
  std::vector<std::string> lines;
  const std::string head = raw.substr(0, raw.find("\r\n\r\n"));
  std::istringstream in(head);
  std::string line;
  std::getline(in, line);  // request line
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> linesNamed(const std::vector<std::string>& lines,
                                    const std::set<std::string>& names) {
  std::vector<std::string> picked;
  for (const auto& line : lines) {
    if (names.count(line.substr(0, line.find(':')))) picked.push_back(line);
  }
  return picked;
}

std::string okResponse(const std::string& contentType, const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: " + contentType +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
         body;
}

// Polls the progress of a request the executor owns until `done` reaches
// `atLeast`. The request cannot complete meanwhile: its server holds it.
bool waitForProgress(HttpRequest* request, double atLeast, double* total) {
  const auto deadline = std::chrono::steady_clock::now() + kWait;
  double done = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    request->getProgressStatus(done, *total);
    if (done >= atLeast) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

class HttpExecutorTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(m_dir.path().empty()); }

  std::string path(const std::string& name) const { return m_dir.file(name); }

  std::set<std::string> dirEntries() const {
    const std::vector<std::string> names = m_dir.entries();
    return std::set<std::string>(names.begin(), names.end());
  }

  HttpDelegator* executor = HttpDelegator::getInstance();
  const kvtest::TempDir m_dir{"whttp-test"};
};

TEST_F(HttpExecutorTest, QueuedGetSendsHeadersInOrderAndDeliversResponseOnWorker) {
  RawOnceServer server(okResponse("text/xml; charset=utf-8", "<rsp result=\"ok\"/>"));
  ASSERT_TRUE(server.ok());
  HttpHeader header;
  header.add("X-Zulu", "1");
  header.add("Authorization", "KV app:c2lnbmF0dXJl");
  header.add("X-Alpha", "two words");
  header.add("DATE", "Tue, 08 Dec 2026 00:00:00 GMT");
  Completion done;
  auto* request = new HttpRequest(W::HTTP_GET, server.url("/api/group.list?count=5"), header, "",
                                  &Completion::callback, &done);
  ASSERT_EQ(0, executor->addRequest(request));
  ASSERT_TRUE(done.wait());

  EXPECT_EQ(W::SESSION_OK, done.status);
  EXPECT_EQ(200, done.response.getHttpResponseCode());
  EXPECT_EQ("<rsp result=\"ok\"/>", done.response.getPayload());
  EXPECT_EQ("text/xml; charset=utf-8", done.response.getContentType());
  EXPECT_NE(std::this_thread::get_id(), done.thread);

  const std::string raw = server.request();
  EXPECT_EQ(0u, raw.find("GET /api/group.list?count=5 HTTP/1.1\r\n"));
  const std::vector<std::string> expected = {"X-Zulu: 1", "Authorization: KV app:c2lnbmF0dXJl",
                                             "X-Alpha: two words",
                                             "DATE: Tue, 08 Dec 2026 00:00:00 GMT"};
  EXPECT_EQ(expected, linesNamed(headerLines(raw), {"X-Zulu", "Authorization", "X-Alpha", "DATE"}));
}

TEST_F(HttpExecutorTest, QueuedPostSendsBodyAndHeadersInOrder) {
  RawOnceServer server(okResponse("text/xml", "<ok/>"));
  ASSERT_TRUE(server.ok());
  HttpHeader header;
  header.add("X-B", "b");
  header.add("X-A", "a");
  const std::string body = "name=Family%20trip&desc=";
  Completion done;
  auto* request = new HttpRequest(W::HTTP_POST, server.url("/api/group.create"), header, body,
                                  &Completion::callback, &done);
  ASSERT_EQ(0, executor->addRequest(request));
  ASSERT_TRUE(done.wait());
  EXPECT_EQ(W::SESSION_OK, done.status);
  EXPECT_EQ("<ok/>", done.response.getPayload());

  const std::string raw = server.request();
  EXPECT_EQ(0u, raw.find("POST /api/group.create HTTP/1.1\r\n"));
  const std::vector<std::string> lines = headerLines(raw);
  EXPECT_EQ((std::vector<std::string>{"X-B: b", "X-A: a"}), linesNamed(lines, {"X-B", "X-A"}));
  EXPECT_EQ((std::vector<std::string>{"Content-Length: 24"}),
            linesNamed(lines, {"Content-Length"}));
  EXPECT_EQ(body, raw.substr(raw.find("\r\n\r\n") + 4));
}

TEST_F(HttpExecutorTest, SynchronousExecuteReturnsResponse) {
  RawOnceServer server(
      "HTTP/1.1 201 Created\r\nContent-Type: application/xml\r\nContent-Length: 3\r\n"
      "Connection: close\r\n\r\nabc");
  ASSERT_TRUE(server.ok());
  HttpHeader header;
  header.add("X-Sync", "yes");
  HttpRequest request(W::HTTP_POST, server.url("/api/user.auth"), header, "k=v", nullptr, nullptr);
  EXPECT_EQ(0, request.execute());
  EXPECT_EQ(201, request.getResponse().getHttpResponseCode());
  EXPECT_EQ("abc", request.getResponse().getPayload());
  EXPECT_EQ("application/xml", request.getResponse().getContentType());
  const std::string raw = server.request();
  EXPECT_EQ((std::vector<std::string>{"X-Sync: yes"}), linesNamed(headerLines(raw), {"X-Sync"}));
  EXPECT_EQ("k=v", raw.substr(raw.find("\r\n\r\n") + 4));
}

TEST_F(HttpExecutorTest, FileTargetReceivesBodyAndNothingElseIsLeft) {
  std::string media(5000, '\0');
  for (size_t i = 0; i < media.size(); ++i) media[i] = static_cast<char>(i * 7);
  LoopbackServer server;
  server.http().Get("/p/clip.mp4", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content(media, "video/mp4");
  });
  ASSERT_TRUE(server.start());
  Completion done;
  auto* request = new HttpRequest(W::HTTP_GET, server.url("/p/clip.mp4"), HttpHeader(),
                                  &Completion::callback, &done, path("clip.mp4"));
  ASSERT_EQ(0, executor->addRequest(request));
  ASSERT_TRUE(done.wait());
  EXPECT_EQ(W::SESSION_OK, done.status);
  EXPECT_EQ(200, done.response.getHttpResponseCode());
  EXPECT_EQ("video/mp4", done.response.getContentType());
  EXPECT_EQ("", done.response.getPayload());
  EXPECT_EQ(media, kvtest::readFile(path("clip.mp4")));
  EXPECT_EQ(5000, done.progressDone);
  EXPECT_EQ((std::set<std::string>{"clip.mp4"}), dirEntries());
}

TEST_F(HttpExecutorTest, FailedTransferLeavesExistingTargetAndNoTempFile) {
  LoopbackServer server;
  server.http().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("not here", "text/plain");
  });
  server.http().Get("/dropped", [](const httplib::Request&, httplib::Response& res) {
    // Promises 4000 bytes, sends 1000, then the connection goes down.
    res.set_content_provider(4000, "application/octet-stream",
                             [](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset > 0) return false;
                               sink.write(std::string(1000, 'x').data(), 1000);
                               return true;
                             });
  });
  ASSERT_TRUE(server.start());
  struct Case {
    const char* route;
    W::SESSION_STATUS status;
    int code;
  };
  for (const Case& c :
       {Case{"/missing", W::SESSION_OK, 404}, Case{"/dropped", W::SESSION_BROKEN, 200}}) {
    SCOPED_TRACE(c.route);
    kvtest::writeFile(path("photo.jpg"), "old picture");
    Completion done;
    auto* request = new HttpRequest(W::HTTP_GET, server.url(c.route), HttpHeader(),
                                    &Completion::callback, &done, path("photo.jpg"));
    ASSERT_EQ(0, executor->addRequest(request));
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(c.status, done.status);
    EXPECT_EQ(c.code, done.response.getHttpResponseCode());
    EXPECT_EQ("old picture", kvtest::readFile(path("photo.jpg")));
    EXPECT_EQ((std::set<std::string>{"photo.jpg"}), dirEntries());
  }
}

TEST_F(HttpExecutorTest, LinkPlantedAtTargetIsReplacedNotFollowed) {
  LoopbackServer server;
  server.http().Get("/p/a.jpg", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("new bytes", "image/jpeg");
  });
  ASSERT_TRUE(server.start());
  kvtest::writeFile(path("victim"), "precious");
  ASSERT_EQ(0, symlink(path("victim").c_str(), path("a.jpg").c_str()));
  Completion done;
  auto* request = new HttpRequest(W::HTTP_GET, server.url("/p/a.jpg"), HttpHeader(),
                                  &Completion::callback, &done, path("a.jpg"));
  ASSERT_EQ(0, executor->addRequest(request));
  ASSERT_TRUE(done.wait());
  EXPECT_EQ(W::SESSION_OK, done.status);
  EXPECT_EQ("precious", kvtest::readFile(path("victim")));
  struct stat st;
  ASSERT_EQ(0, lstat(path("a.jpg").c_str(), &st));
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ("new bytes", kvtest::readFile(path("a.jpg")));
}

TEST_F(HttpExecutorTest, TargetInMissingDirectoryGivesFileError) {
  Completion done;
  // Nothing listens there: the request must end before any connection.
  auto* request =
      new HttpRequest(W::HTTP_GET, "http://127.0.0.1:" + std::to_string(closedPort()) + "/x",
                      HttpHeader(), &Completion::callback, &done, path("no-such-dir/x.bin"));
  ASSERT_EQ(0, executor->addRequest(request));
  ASSERT_TRUE(done.wait());
  EXPECT_EQ(W::SESSION_FILE_ERROR, done.status);
  EXPECT_TRUE(dirEntries().empty());
}

TEST_F(HttpExecutorTest, MultipartUploadFromFormaddSendsFilePart) {
  std::string photo(3000, '\0');
  for (size_t i = 0; i < photo.size(); ++i) photo[i] = static_cast<char>(255 - i % 251);
  kvtest::writeFile(path("holiday.jpg"), photo);

  LoopbackServer server;
  httplib::MultipartFormData seen;
  bool hadFile = false;
  std::string requestType;
  server.http().Post("/api/content.upload",
                     [&](const httplib::Request& req, httplib::Response& res) {
                       hadFile = req.has_file("media");
                       if (hadFile) seen = req.get_file_value("media");
                       requestType = req.get_header_value("Content-Type");
                       res.set_content("<ok/>", "text/xml");
                     });
  ASSERT_TRUE(server.start());

  curl_httppost* first = nullptr;
  curl_httppost* last = nullptr;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_EQ(CURL_FORMADD_OK, curl_formadd(&first, &last, CURLFORM_COPYNAME, "media", CURLFORM_FILE,
                                          path("holiday.jpg").c_str(), CURLFORM_CONTENTTYPE,
                                          "image/jpeg", CURLFORM_END));
#pragma GCC diagnostic pop
  Completion done;
  auto* request = new HttpRequest(W::HTTP_POST, server.url("/api/content.upload"), HttpHeader(),
                                  &Completion::callback, &done, path("holiday.jpg"));
  // What the plug-in sets before attaching its form: the form must still win.
  curl_easy_setopt(request->getHandle(), CURLOPT_POSTFIELDS, "");
  curl_easy_setopt(request->getHandle(), CURLOPT_POSTFIELDSIZE, static_cast<long>(photo.size()));
  request->setFormPost(first);
  ASSERT_EQ(0, executor->addRequest(request));
  ASSERT_TRUE(done.wait());

  EXPECT_EQ(W::SESSION_OK, done.status);
  EXPECT_EQ(200, done.response.getHttpResponseCode());
  EXPECT_EQ(0u, requestType.find("multipart/form-data; boundary="));
  ASSERT_TRUE(hadFile);
  EXPECT_EQ("holiday.jpg", seen.filename);
  EXPECT_EQ("image/jpeg", seen.content_type);
  EXPECT_EQ(photo, seen.content);
  // Uploaded bytes: the whole multipart body, which is larger than the file.
  EXPECT_GT(done.progressTotal, 3000);
  EXPECT_EQ(done.progressTotal, done.progressDone);
}

TEST_F(HttpExecutorTest, ProgressCountsDownloadedBytesWhileTransferRuns) {
  LoopbackServer server;
  server.http().Get("/slow", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(1500, "application/octet-stream",
                             [&](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset > 0 && !server.release.wait()) return false;
                               const size_t n = offset == 0 ? 1000 : 500;
                               sink.write(std::string(n, 'p').data(), n);
                               return true;
                             });
  });
  ASSERT_TRUE(server.start());
  Completion done;
  auto* request = new HttpRequest(W::HTTP_GET, server.url("/slow"), HttpHeader(), "",
                                  &Completion::callback, &done);
  ASSERT_EQ(0, executor->addRequest(request));
  double total = 0;
  ASSERT_TRUE(waitForProgress(request, 1000, &total));
  EXPECT_EQ(1500, total);
  EXPECT_EQ(0, done.callCount());
  server.release.open();
  ASSERT_TRUE(done.wait());
  EXPECT_EQ(W::SESSION_OK, done.status);
  EXPECT_EQ(1500u, done.response.getPayload().size());
}

TEST_F(HttpExecutorTest, CancelMidTransferCompletesWith81AndLeavesNoFile) {
  LoopbackServer server;
  server.http().Get("/stream", [&](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("video/mp4", [&](size_t offset, httplib::DataSink& sink) {
      if (offset > 0 && !server.release.wait()) return false;
      sink.write(std::string(100, 'v').data(), 100);
      return true;
    });
  });
  ASSERT_TRUE(server.start());
  Completion done;
  auto* request = new HttpRequest(W::HTTP_GET, server.url("/stream"), HttpHeader(),
                                  &Completion::callback, &done, path("movie.mp4"));
  ASSERT_EQ(0, executor->addRequest(request));
  double total = 0;
  ASSERT_TRUE(waitForProgress(request, 100, &total));
  request->setCancel();
  // Well before the server would send more: the cancel itself ends the transfer.
  ASSERT_TRUE(done.wait());
  EXPECT_EQ(W::SESSION_CANCELLED, done.status);
  EXPECT_TRUE(dirEntries().empty());
}

TEST_F(HttpExecutorTest, CancelBeforeStartCompletesWith81) {
  SilentServer server;
  Completion done;
  auto* request = new HttpRequest(W::HTTP_GET, server.url("/x"), HttpHeader(), "",
                                  &Completion::callback, &done);
  request->setCancel();
  EXPECT_TRUE(request->isCancelled());
  ASSERT_EQ(0, executor->addRequest(request));
  ASSERT_TRUE(done.wait());
  EXPECT_EQ(W::SESSION_CANCELLED, done.status);
}

TEST_F(HttpExecutorTest, FlushDropsRequestsOfThatIdWithoutCompletion) {
  SilentServer server;
  CountedRequest::Counter counter;
  Completion dropped;
  for (int i = 0; i < 3; ++i) {
    auto* request = new CountedRequest(&counter, server.url("/a"), &Completion::callback, &dropped);
    request->setID(7);
    ASSERT_EQ(0, executor->addRequest(request));
  }
  ASSERT_TRUE(server.acceptConnections(3));  // all three in flight
  Completion kept;
  auto* other = new CountedRequest(&counter, server.url("/b"), &Completion::callback, &kept);
  other->setID(8);
  ASSERT_EQ(0, executor->addRequest(other));
  ASSERT_TRUE(server.acceptConnections(4));

  executor->flushHttpRequests(7);
  ASSERT_TRUE(counter.waitFor(3));
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(server.clientClosed(i)) << i;
  EXPECT_EQ(0, dropped.callCount());
  EXPECT_EQ(3, counter.value());  // the request of ID 8 lives on

  other->setCancel();
  ASSERT_TRUE(kept.wait());
  EXPECT_EQ(W::SESSION_CANCELLED, kept.status);
  EXPECT_TRUE(counter.waitFor(4));
  EXPECT_EQ(0, dropped.callCount());
}

// A completion that flushes its own ID and another one from the worker thread.
struct FlushingCompletion {
  HttpDelegator* executor;
  unsigned long long otherId;
  Completion recorded;

  static void callback(W::SESSION_STATUS status, HttpRequest* request, void* arg) {
    auto* self = static_cast<FlushingCompletion*>(arg);
    self->executor->flushHttpRequests(request->getID());
    self->executor->flushHttpRequests(self->otherId);
    Completion::callback(status, request, &self->recorded);
  }
};

TEST_F(HttpExecutorTest, FlushFromInsideCompletionDoesNotDeadlock) {
  SilentServer silent;
  CountedRequest::Counter counter;
  Completion never;
  auto* victim = new CountedRequest(&counter, silent.url("/held"), &Completion::callback, &never);
  victim->setID(10);
  ASSERT_EQ(0, executor->addRequest(victim));
  ASSERT_TRUE(silent.acceptConnections(1));

  RawOnceServer quick(okResponse("text/plain", "done"));
  FlushingCompletion flushing{executor, 10, {}};
  auto* request = new HttpRequest(W::HTTP_GET, quick.url("/q"), HttpHeader(), "",
                                  &FlushingCompletion::callback, &flushing);
  request->setID(9);
  ASSERT_EQ(0, executor->addRequest(request));
  ASSERT_TRUE(flushing.recorded.wait());
  EXPECT_EQ(W::SESSION_OK, flushing.recorded.status);
  EXPECT_EQ("done", flushing.recorded.response.getPayload());
  ASSERT_TRUE(counter.waitFor(1));
  EXPECT_EQ(0, never.callCount());
}

TEST_F(HttpExecutorTest, FlushFromAnotherThreadWaitsForRunningCompletionOfThatId) {
  struct Blocking {
    Gate entered;
    Gate leave;
    std::atomic<bool> finished{false};
    static void callback(W::SESSION_STATUS, HttpRequest* request, void* arg) {
      auto* self = static_cast<Blocking*>(arg);
      delete request;
      self->entered.open();
      self->leave.wait();
      self->finished.store(true);
    }
  } blocking;
  RawOnceServer server(okResponse("text/plain", "x"));
  auto* request = new HttpRequest(W::HTTP_GET, server.url("/b"), HttpHeader(), "",
                                  &Blocking::callback, &blocking);
  request->setID(11);
  ASSERT_EQ(0, executor->addRequest(request));
  ASSERT_TRUE(blocking.entered.wait());

  std::atomic<bool> finishedWhenFlushReturned{false};
  std::atomic<pid_t> flusherId{0};
  std::thread flusher([&] {
    flusherId.store(kvtest::threadId());
    executor->flushHttpRequests(11);
    finishedWhenFlushReturned.store(blocking.finished.load());
  });
  // Lets the completion go only once the flush is blocked in its wait; a
  // flush that did not wait would already have recorded an unfinished one.
  while (flusherId.load() == 0) std::this_thread::yield();
  kvtest::waitUntilBlocked(flusherId.load());
  blocking.leave.open();
  flusher.join();
  EXPECT_TRUE(finishedWhenFlushReturned.load());
}

TEST_F(HttpExecutorTest, ConnectionRefusedGives41) {
  const std::string url = "http://127.0.0.1:" + std::to_string(closedPort()) + "/api";
  HttpRequest sync(W::HTTP_GET, url, HttpHeader(), "", nullptr, nullptr);
  EXPECT_EQ(41, sync.execute());

  Completion done;
  ASSERT_EQ(0, executor->addRequest(new HttpRequest(W::HTTP_GET, url, HttpHeader(), "",
                                                    &Completion::callback, &done)));
  ASSERT_TRUE(done.wait());
  EXPECT_EQ(W::SESSION_CONNECT_FAILED, done.status);
  EXPECT_EQ(0, done.response.getHttpResponseCode());
}

// The executor's defaults for requests that set none: 15 s to connect, and
// the stall rule's 60 s below 1 byte/s (README's provider options).
TEST_F(HttpExecutorTest, DefaultTimeoutsAreFifteenSecondsToConnectAndSixtyToStall) {
  EXPECT_EQ(executor->defaultConnectTimeout(), 15000) << "default connect timeout (ms)";
  EXPECT_EQ(executor->defaultStallTimeout(), 60000) << "default stall timeout (ms)";
}

TEST_F(HttpExecutorTest, ConnectTimeoutGives42) {
  FullListener server;
  HttpRequest sync(W::HTTP_GET, server.url("/sync"), HttpHeader(), "", nullptr, nullptr);
  sync.setConnectTimeout(200);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(42, sync.execute());
  EXPECT_LT(elapsedMs(start), 5000) << "connect timeout not applied";

  // Queued: its own timeout, then none but the executor's default (a
  // default left unused would wait for the whole connect watchdog).
  const long connectMs = executor->defaultConnectTimeout();
  const long stallMs = executor->defaultStallTimeout();
  for (const bool perRequest : {true, false}) {
    SCOPED_TRACE(perRequest ? "per request" : "executor default");
    if (!perRequest) executor->setDefaultTimeouts(200, stallMs);
    Completion done;
    auto* request = new HttpRequest(W::HTTP_GET, server.url("/queued"), HttpHeader(), "",
                                    &Completion::callback, &done);
    if (perRequest) request->setConnectTimeout(200);
    const auto queued = std::chrono::steady_clock::now();
    ASSERT_EQ(0, executor->addRequest(request));
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(W::SESSION_TIMED_OUT, done.status);
    EXPECT_LT(elapsedMs(queued), 5000) << "connect timeout not applied";
    executor->setDefaultTimeouts(connectMs, stallMs);
  }
}

TEST_F(HttpExecutorTest, StalledTransferTimesOutWith42) {
  LoopbackServer server;
  server.http().Get("/stall", [&](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [&](size_t offset, httplib::DataSink& sink) {
      // One byte, then nothing: the speed drops under 1 byte/s at once.
      if (offset > 0 && !server.release.wait()) return false;
      sink.write("0", 1);
      return true;
    });
  });
  ASSERT_TRUE(server.start());
  struct Case {
    const char* name;
    bool perRequest;
  };
  const long connectMs = executor->defaultConnectTimeout();
  const long stallMs = executor->defaultStallTimeout();
  for (const Case& c : {Case{"per request", true}, Case{"executor default", false}}) {
    SCOPED_TRACE(c.name);
    if (!c.perRequest) executor->setDefaultTimeouts(connectMs, 1000);
    Completion done;
    auto* request = new HttpRequest(W::HTTP_GET, server.url("/stall"), HttpHeader(), "",
                                    &Completion::callback, &done);
    if (c.perRequest) request->setStallTimeout(1000);
    ASSERT_EQ(0, executor->addRequest(request));
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(W::SESSION_TIMED_OUT, done.status);
    executor->setDefaultTimeouts(connectMs, stallMs);
  }
}

}  // namespace
