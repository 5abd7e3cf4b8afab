// What one service answer costs the plug-in's heap, by the answer's shape.
// For each answer below an operation is started, its request taken at the
// executor's test seam, and its completion run on this thread with the
// answer as the response, as the executor's worker would run it; the
// caller's callback reads the heap. Each shape runs in a child process under
// a cap on its address space, so that an answer which would exhaust a TV's
// memory shows as such instead of ending the run. The figure is the heap in
// use at the callback (the answer itself plus what the completion still
// holds) against max_answer_bytes, with the provider's default options.
//   kv_answer_cost [--cap-mib N] [SHAPE...]   (default: every shape, 6144 MiB)
// Exit 0 when every answer stays within its target, 1 when one does not.
#include <W/HttpRequest.h>
#include <W/WConfigManager.h>
#include <W/WStatus.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "HeapMeter.h"
#include "HttpTestHook.h"
#include "LinkedPlugin.h"
#include "RatioReport.h"

namespace {

// The default of max_answer_bytes (README, "Provider options"): the
// largest answer the plug-in keeps; every shape here stays below it.
constexpr double kMaxAnswerBytes = 32.0 * 1024 * 1024;
// The goal: no admitted answer holds more than this many times that.
constexpr double kTargetRatio = 4.0;
constexpr double kMiB = 1024.0 * 1024.0;
// CPU an answer may take before it counts as one that hangs the executor.
constexpr unsigned kTimeLimitSeconds = 300;

enum class Operation { GroupList, Feed, Comments };

struct Shape {
  const char* label;  // the figure's name: answer_heap_<label>
  const char* text;   // the table's description
  Operation operation;
  std::function<std::string()> data;  // the answer's data element
};

// What the child reports to the parent through a pipe.
struct Outcome {
  int status = 0;
  long long records = 0;
  double answerBytes = 0;
  double atCallback = 0;  // heap the completion holds at the callback
  double peak = 0;        // most heap the completion held at any time
  double seconds = 0;     // CPU time of the completion
  bool called = false;
  bool outOfMemory = false;
  bool outOfTime = false;
};

Outcome g_outcome;

void recordCallback(int status, long long records) {
  g_outcome.called = true;
  g_outcome.status = status;
  g_outcome.records = records;
  g_outcome.atCallback = static_cast<double>(kvbench::heapMeterLive());
  g_outcome.peak = static_cast<double>(kvbench::heapMeterPeak());
}

void onGroups(W::WSTATUS status, const W::WContentProvider&, const W::WContainer<W::WGroup>& groups,
              const W::WPerson&, void*) {
  recordCallback(status, static_cast<long long>(groups.getData().size()));
}
void onContents(W::WSTATUS status, const W::WContentProvider&,
                const W::WContainer<W::WContent>& contents, void*) {
  recordCallback(status, static_cast<long long>(contents.getData().size()));
}
void onComments(W::WSTATUS status, const W::WContentProvider&,
                const W::WContainer<W::WComment>& comments, void*) {
  recordCallback(status, static_cast<long long>(comments.getData().size()));
}

std::string repeat(const std::string& piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// `count` pieces made by `piece(i)`.
std::string many(size_t count, const std::function<std::string(size_t)>& piece) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += piece(i);
  return out;
}

const size_t k10MiB = 10u << 20;
const size_t k16MiB = 16u << 20;
const size_t k30MiB = 30u << 20;

// A data element holding `content`, with `attributes` on it.
std::string inData(const std::string& content, const std::string& attributes = "") {
  return "<data" + attributes + ">" + content + "</data>";
}

std::vector<Shape> shapes() {
  return {
      {"groups_10mib_names", "3 groups with 10 MiB names", Operation::GroupList,
       [] {
         return inData(many(3, [](size_t i) {
           return "<group><groupId>g" + std::to_string(i) + "</groupId><groupName>" +
                  std::string(k10MiB, 'n') + "</groupName></group>";
         }));
       }},
      {"groups_100k", "100,000 groups of about 300 bytes", Operation::GroupList,
       [] {
         return inData(many(100000, [](size_t i) {
           const std::string id = std::to_string(i);
           return "<group><groupId>g" + id + "</groupId><groupName>Group " + id +
                  "</groupName><groupDesc>" + std::string(200, 'd') +
                  "</groupDesc><totalContentCount>12</totalContentCount></group>";
         }));
       }},
      {"empty_groups_4m", "4,000,000 empty <group/>", Operation::GroupList,
       [] { return inData(repeat("<group/>", 4000000)); }},
      {"group_id_copies", "a 16 MiB groupId named again by 1.6 million <groupId/>",
       Operation::GroupList,
       [] {
         return inData("<groupId>" + std::string(k16MiB, 'i') + "</groupId>" +
                       repeat("<groupId/>", 1600000));
       }},
      {"thumbnail_url_copies", "a 16 MiB thumbnail URL read by 600,000 thumbnails", Operation::Feed,
       [] {
         return inData(
             "<content contentId=\"c1\"><contentDetail><thumbnail><contentThumbnail_540X405>" +
             std::string(k16MiB, 'u') + "</contentThumbnail_540X405>" +
             repeat("<contentThumbnail_540X405/>", 600000) +
             "</thumbnail></contentDetail></content>");
       }},
      {"data_read_per_content_id", "a 16 MiB description read for 1.3 million <contentId/>",
       Operation::Feed,
       [] {
         return inData("<contentId>c1</contentId><contentDesc>" + std::string(k16MiB, 'd') +
                       "</contentDesc>" + repeat("<contentId/>", 1300000));
       }},
      {"content_ids_1m", "1,390,000 feed items <content contentId=\"1\"/>", Operation::Feed,
       [] { return inData(repeat("<content contentId=\"1\"/>", 1390000)); }},
      {"nested_comments", "one message with 1,390,000 comments", Operation::Feed,
       [] {
         return inData("<group><content id=\"c1\" messageBoardID=\"m1\">" +
                       repeat("<comment commentId=\"1\"/>", 1390000) + "</content></group>");
       }},
      {"linked_events", "one photo linked to 1,590,000 events", Operation::Feed,
       [] {
         return inData("<group><content id=\"c1\" galleryID=\"g1\"><eventLink>" +
                       repeat("<contentLink ID=\"1\"/>", 1590000) +
                       "</eventLink></content></group>");
       }},
      {"comment_list_1m", "a comment list of 1,390,000 comments", Operation::Comments,
       [] { return inData(repeat("<comment commentId=\"1\"/>", 1390000)); }},
      {"attributes_100k", "one group with 100,000 attributes", Operation::GroupList,
       [] {
         return inData("<group" +
                       many(100000,
                            [](size_t i) {
                              char name[24];
                              std::snprintf(name, sizeof name, " a%07zu=\"\"", i);
                              return std::string(name);
                            }) +
                       "/>");
       }},
      // The worst answers the default limits still admit that we found:
      // nested records just below the element limit beside one long text.
      {"admitted_events_and_text", "a 30 MiB description and 49,990 linked events", Operation::Feed,
       [] {
         return inData("<group><content id=\"c1\" galleryID=\"g1\"><contentDesc>" +
                       std::string(k30MiB, 'd') + "</contentDesc><eventLink>" +
                       repeat("<contentLink ID=\"1\"/>", 49990) + "</eventLink></content></group>");
       }},
      {"admitted_comments_and_text", "a 30 MiB description and 49,990 comments", Operation::Feed,
       [] {
         return inData("<group><content id=\"c1\" messageBoardID=\"m1\"><messageText>" +
                       std::string(k30MiB, 'd') + "</messageText>" +
                       repeat("<comment commentId=\"1\"/>", 49990) + "</content></group>");
       }},
      {"admitted_long_groups", "10,000 groups with 3 KiB names, then 60,000 <group/>",
       Operation::GroupList,
       [] {
         return inData(many(10000,
                            [](size_t i) {
                              return "<group groupId=\"g" + std::to_string(i) + "\" groupName=\"" +
                                     std::string(3000, 'n') + "\"/>";
                            }) +
                       repeat("<group/>", 60000));
       }},
  };
}

std::string answerOf(const Shape& shape) {
  return "<rsp><result><stat>ok</stat></result>" + shape.data() + "</rsp>";
}

const W::WContentProvider& provider() {
  static const W::WContentProvider kProvider("Kinvale", 12);
  return kProvider;
}

// Starts the shape's operation; the request stays at the seam in `captured`.
W::WSTATUS start(W::WKinvaleOAI& oai, Operation operation) {
  W::WGroup group;
  group.setUID("g1");
  W::WContent content;
  content.setUID("c1");
  switch (operation) {
    case Operation::GroupList:
      return oai.retrieveGroupList(W::WPerson(), &onGroups, 0, 10, W::KV_SORT_ALPHABETICAL,
                                   W::KV_INCLUDE_NONE, nullptr);
    case Operation::Feed:
      return oai.retrieveGroupFeeds(group, "", "2026-12-01 00:00:00", 30, W::KV_BASE_CREATED_TIME,
                                    W::KV_ITEM_ALL, W::KV_INCLUDE_NONE, &onContents, nullptr);
    case Operation::Comments:
      return oai.retrieveComments(content, &onComments, 0, 10, nullptr);
  }
  return -1;
}

void onLoggedIn(W::WSTATUS status, const W::WContentProvider&, void* loggedIn) {
  *static_cast<bool*>(loggedIn) = status == W::WSTATUS_SUCCESS;
}

// Authenticates `oai` with the configured identity, the request answered
// "ok" here on this thread as it arrives at the seam in `captured`.
bool logIn(W::WKinvaleOAI& oai, W::HttpRequest*& captured) {
  bool loggedIn = false;
  if (oai.authKV(&onLoggedIn, &loggedIn) != 0 || captured == nullptr) return false;
  W::HttpResponse response;
  response.setHttpResponseCode(200);
  response.setPayload("<rsp><result><stat>ok</stat></result></rsp>");
  captured->setResponse(response);
  captured->complete(W::SESSION_OK);  // the callback deletes the request
  captured = nullptr;
  return loggedIn;
}

// Runs in the child: the answer is built, handed to the request as its
// response, and only then is the heap counted.
Outcome measure(const Shape& shape) {
  W::WConfigManager& config = W::WConfigManager::getInstance();
  config.setCPOption(provider(), "base_url", "http://kv.test");
  config.setCPOption(provider(), "app_id", "app-1");
  config.setCPOption(provider(), "AuthToken", "token-1");
  config.setCPOption(provider(), "duid", "duid-1");
  W::HttpRequest* captured = nullptr;
  W::HttpTestHook hook;
  hook.onAdd = [&captured](W::HttpRequest* request) {
    captured = request;
    return 0;
  };
  hook.onFlush = [](unsigned long long) {};
  W::setHttpTestHook(hook);

  kvbench::LinkedProvider oai;
  Outcome outcome;
  if (oai.get() == nullptr || !logIn(*oai, captured)) return outcome;
  if (start(*oai, shape.operation) != 0 || captured == nullptr) return outcome;
  {
    W::HttpResponse response;
    response.setHttpResponseCode(200);
    response.setPayload(answerOf(shape));
    response.setContentType("text/xml");
    captured->setResponse(response);
    outcome.answerBytes = static_cast<double>(captured->response().getPayload().size());
  }
  const std::clock_t started = std::clock();
  kvbench::heapMeterStart();
  try {
    captured->complete(W::SESSION_OK);  // the callback deletes the request
  } catch (const std::bad_alloc&) {
    // On the TV nothing catches this on the executor's thread.
    kvbench::heapMeterStopPeak();
    outcome.outOfMemory = true;
    return outcome;
  }
  kvbench::heapMeterStopPeak();
  Outcome seen = g_outcome;
  seen.answerBytes = outcome.answerBytes;
  seen.seconds = static_cast<double>(std::clock() - started) / CLOCKS_PER_SEC;
  return seen;
}

// Runs `shape` in a child process limited to `capBytes` of address space.
Outcome runCapped(const Shape& shape, rlim_t capBytes) {
  int fds[2];
  Outcome outcome;
  if (pipe(fds) != 0) return outcome;
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    struct rlimit cap = {capBytes, capBytes};
    setrlimit(RLIMIT_AS, &cap);
    alarm(kTimeLimitSeconds);  // an answer that keeps the executor this long has failed
    Outcome measured;
    try {
      measured = measure(shape);
    } catch (const std::bad_alloc&) {
      measured.outOfMemory = true;
    }
    const ssize_t written = write(fds[1], &measured, sizeof measured);
    _exit(written == static_cast<ssize_t>(sizeof measured) ? 0 : 1);
  }
  close(fds[1]);
  const ssize_t got = child > 0 ? read(fds[0], &outcome, sizeof outcome) : -1;
  close(fds[0]);
  int status = 0;
  if (child > 0) waitpid(child, &status, 0);
  if (got != static_cast<ssize_t>(sizeof outcome)) {
    outcome = Outcome();
    // Ended without a report: out of time, or killed or aborted for memory.
    outcome.outOfTime = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
    outcome.outOfMemory = !outcome.outOfTime;
  }
  return outcome;
}

}  // namespace

int main(int argc, char** argv) {
  if (!kvbench::heapMeterAvailable()) {
    std::printf("kv_answer_cost: no heap meter in this tree (a sanitizer owns malloc)\n");
    return 0;
  }
  rlim_t capMiB = 6144;
  std::vector<std::string> wanted;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--cap-mib") == 0 && i + 1 < argc) {
      capMiB = static_cast<rlim_t>(std::strtoull(argv[++i], nullptr, 10));
    } else {
      wanted.push_back(argv[i]);
    }
  }
  std::printf("%-56s %9s %9s %7s %11s %10s %8s\n", "answer", "bytes", "records", "status",
              "at callback", "peak", "cpu");
  bool allPass = true;
  std::vector<kvbench::ExtraFigure> figures;
  for (const Shape& shape : shapes()) {
    if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), shape.label) == wanted.end())
      continue;
    const Outcome outcome = runCapped(shape, capMiB << 20);
    kvbench::ExtraFigure figure;
    figure.label = std::string("answer_heap_") + shape.label + "_vs_max_answer_bytes";
    figure.target = "<=4";
    if (outcome.outOfMemory || outcome.outOfTime || !outcome.called) {
      const char* why = outcome.outOfTime     ? "over time"
                        : outcome.outOfMemory ? "over cap"
                                              : "no call";
      std::printf("%-56s %9s %9s %7s %11s %10s %8s\n", shape.text, "", "", "", why, "", "");
      figure.value = static_cast<double>(capMiB) * kMiB / kMaxAnswerBytes;
      figure.pass = 0;
    } else {
      const double held = outcome.answerBytes + outcome.atCallback;
      std::printf("%-56s %5.1f MiB %9lld %7d %7.1f MiB %6.1f MiB %6.2f s\n", shape.text,
                  outcome.answerBytes / kMiB, outcome.records, outcome.status, held / kMiB,
                  (outcome.answerBytes + outcome.peak) / kMiB, outcome.seconds);
      figure.value = held / kMaxAnswerBytes;
      figure.pass = figure.value <= kTargetRatio ? 1 : 0;
    }
    allPass = allPass && figure.pass == 1;
    figures.push_back(figure);
  }
  std::printf(
      "(at callback and peak include the answer itself; each answer may use %llu MiB and %u s)\n",
      static_cast<unsigned long long>(capMiB), kTimeLimitSeconds);
  for (const kvbench::ExtraFigure& figure : figures) kvbench::printFigure(figure);
  return allPass ? 0 : 1;
}
