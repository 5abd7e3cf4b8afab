// The operations, callbacks and fault rules of the kvsim workload.
#include "KvsimWorkload.h"

#include <libxml++/libxml++.h>

#include <W/WConfigManager.h>

#include <sstream>
#include <vector>

namespace kvload {

const char* const kMedia[kMediaCount] = {
    "/media/contents/c1001/photo.jpg",
    "/media/contents/c1034/clip.mp4",
    "/media/contents/c1036/song.mp3",
    "/media/contents/c1001/thumb_540X405.jpg",
};

const char* kindName(Kind kind) {
  static const char* const names[] = {"group.list", "feeds",    "comment.list", "view",
                                      "comment",    "register", "download",     "content"};
  return names[static_cast<int>(kind)];
}

// ------------------------------------------------------------ counting

void OperationRun::acquire(int limit, std::chrono::seconds wait) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_cv.wait_for(lock, wait, [&] { return m_outstanding < limit; });
  m_outstanding++;
}

void OperationRun::release() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_outstanding--;
  m_cv.notify_all();
}

bool OperationRun::awaitIdle(std::chrono::seconds wait) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_cv.wait_for(lock, wait, [&] { return m_outstanding == 0; });
}

int OperationRun::outstanding() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_outstanding;
}

void OperationRun::reported(Operation& op, W::WSTATUS status, bool viaCancel) {
  if (m_destroyed.load()) op.lateReports.fetch_add(1);
  op.status.store(status);
  op.viaCancel.store(viaCancel);
  op.reports.fetch_add(1);
  release();
}

// ------------------------------------------------------------ callbacks

namespace {

void report(void* userData, W::WSTATUS status, bool viaCancel) {
  Operation* op = static_cast<Operation*>(userData);
  if (op == nullptr || op->run == nullptr) return;
  op->run->reported(*op, status, viaCancel);
}

void onGroupList(W::WSTATUS s, const W::WContentProvider&, const W::WContainer<W::WGroup>&,
                 const W::WPerson&, void* u) {
  report(u, s, false);
}
void onContentList(W::WSTATUS s, const W::WContentProvider&, const W::WContainer<W::WContent>&,
                   void* u) {
  report(u, s, false);
}
void onCommentList(W::WSTATUS s, const W::WContentProvider&, const W::WContainer<W::WComment>&,
                   void* u) {
  report(u, s, false);
}
void onContent(W::WSTATUS s, const W::WContentProvider&, const W::WContent&, void* u) {
  report(u, s, false);
}
void onCommentText(W::WSTATUS s, const W::WContentProvider&, const W::WComment&, const W::STRING&,
                   void* u) {
  report(u, s, false);
}
void onAccount(W::WSTATUS s, const W::WContentProvider&, void* u) {
  report(u, s, false);
}
void onDownload(W::WSTATUS s, const W::WContentProvider&, const W::STRING&, void* u) {
  report(u, s, false);
}
// The host reads what the stream holds while the call lasts.
void onContentDownload(int s, const W::WContentProvider&, const W::WMediaResource&,
                       std::istream& stream, void* u) {
  Operation* op = static_cast<Operation*>(u);
  if (op != nullptr && s == 0) {
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    op->streamed = bytes.str();
  }
  report(u, s, false);
}

}  // namespace

void onCancel(W::WSTATUS s, const W::WContentProvider&, void* u) {
  report(u, s, true);
}

W::WSTATUS startOperation(W::WKVOAI& oai, Operation& op, const std::string& base,
                          const std::string& dir) {
  W::WContent content;
  content.setUID("c1001");
  W::WGroup group;
  group.setUID("g1");
  switch (op.kind) {
    case Kind::GroupList:
      return oai.retrieveGroupList(W::WPerson(), onGroupList, 0, 10, W::KV_SORT_ALPHABETICAL,
                                   W::KV_INCLUDE_ALL, &op);
    case Kind::Feeds:
      return oai.retrieveGroupFeeds(group, "latest", "", 10, W::KV_BASE_CREATED_TIME,
                                    W::KV_ITEM_ALL, W::KV_INCLUDE_ALL, onContentList, &op);
    case Kind::Comments:
      return oai.retrieveComments(content, onCommentList, 0, 20, &op);
    case Kind::ViewContent:
      return oai.viewContent(content, onContent, &op);
    case Kind::CreateComment: {
      W::WComment comment;
      comment.setComment("stress");
      return oai.createComment(content, comment, onCommentText, &op);
    }
    case Kind::Register:
      return oai.registerKV(onAccount, &op);
    case Kind::Download:
      return oai.download(oai.getContentProvider(), base + kMedia[op.media], dir, op.file,
                          onDownload, &op);
    case Kind::ContentDownload:
      // As the plug-in's own records carry it.
      op.resource.setResourceURL(base + kMedia[op.media]);
      op.resource.setDownloader(&W::WKVOAI::fnContentDownloader, &oai);
      return op.resource.download(onContentDownload, &op);
  }
  return -1;
}

// ------------------------------------------------------------ faults

int installFaults(httplib::Client& admin, std::mt19937& rng) {
  struct Rule {
    const char* kind;
    std::string extra;
  };
  const std::string codes[] = {"500", "404", "401", "503", "409"};
  const std::string errors[] = {"105", "203", "204", "24"};
  std::vector<Rule> rules = {
      {"latency", "ms=" + std::to_string(1 + rng() % 25)},
      {"status", "code=" + codes[rng() % 5]},
      {"error", "error=" + errors[rng() % 4]},
      {"malformed", rng() % 2 ? "body=truncated" : "body=text"},
      {"truncated", ""},
      {"drop", ""},
  };
  int installed = 0;
  for (const Rule& r : rules) {
    std::string form = std::string("kind=") + r.kind + "&count=" + std::to_string(1 + rng() % 3);
    if (!r.extra.empty()) form += "&" + r.extra;
    // A malformed body comes with status 200: on media it would be a file
    // the server really served, so it aims at service answers only.
    if (std::string(r.kind) == "malformed") {
      form += "&path=openapi";
    } else if (std::string(r.kind) != "latency" && rng() % 2 == 0) {
      form += "&path=media";
    }
    auto res = admin.Post("/admin/fault", form, "application/x-www-form-urlencoded");
    if (res && res->status == 200) installed++;
  }
  return installed;
}

std::map<std::string, int> faultsApplied(httplib::Client& admin, int* requests) {
  std::map<std::string, int> counts;
  *requests = 0;
  auto res = admin.Get("/admin/log");
  if (!res) return counts;
  std::istringstream in(res->body);
  std::string line;
  while (std::getline(in, line)) {
    (*requests)++;
    size_t at = line.find(" fault=");
    if (at == std::string::npos) continue;
    std::string kinds = line.substr(at + 7);
    kinds = kinds.substr(0, kinds.find(' '));
    if (kinds == "-") continue;
    std::stringstream list(kinds);
    std::string kind;
    while (std::getline(list, kind, ',')) counts[kind]++;
  }
  return counts;
}

// ------------------------------------------------------------ the session

void configure(const std::string& base) {
  const W::WContentProvider provider("Kinvale", 12);
  W::WConfigManager& config = W::WConfigManager::getInstance();
  config.clearCPOptions(provider);
  config.setCPOption(provider, "app_id", "kvdemo-app");
  config.setCPOption(provider, "AuthToken", "kvdemo-token");
  config.setCPOption(provider, "duid", "kvdemo-tv-0001");
  config.setCPOption(provider, "base_url", base);
}

void unconfigure() {
  W::WConfigManager::getInstance().clearCPOptions(W::WContentProvider("Kinvale", 12));
}

void logIn(W::WKVOAI& oai) {
  xmlpp::DomParser parser;
  parser.parse_memory("<result><stat>ok</stat></result>");
  oai.getService()->setUserCredential(parser.get_document()->get_root_node(),
                                      oai.getContentProvider());
}

}  // namespace kvload
