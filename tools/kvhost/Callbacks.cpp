// Provider callbacks: records in, report out.
#include "Callbacks.h"

#include <W/WStatus.h>

#include <cstdio>
#include <fstream>
#include <utility>

#include "RecordItem.h"

namespace kvhost {
namespace callbacks {

namespace {

CallContext& contextOf(void* userData) {
  return *static_cast<CallContext*>(userData);
}

Report newReport(CallContext& context, int status) {
  Report report;
  report.op = context.waiter.op();
  report.status = status;
  return report;
}

void deliver(CallContext& context, Report report) {
  const std::string op = report.op;
  if (!context.waiter.finish(std::move(report)))
    std::fprintf(stderr, "kvhost: %s: unexpected further callback ignored\n", op.c_str());
}

// A callback that hands back a whole list (with the parser's count).
template <class T>
void deliverList(void* userData, int status, const char* listName, const WContainer<T>& list,
                 Json values = Json::object()) {
  CallContext& context = contextOf(userData);
  Report report = newReport(context, status);
  report.values = std::move(values);
  // A parser that does not count leaves -1; print a count only when there is one.
  if (list.getCount() >= 0) report.values["count"] = list.getCount();
  report.listName = listName;
  for (const T& record : list.getData()) report.items.push_back(itemOf(record));
  deliver(context, std::move(report));
}

// A callback that hands back one record, shown as a list of one.
template <class T>
void deliverOne(void* userData, int status, const char* listName, const T& record,
                Json values = Json::object()) {
  CallContext& context = contextOf(userData);
  Report report = newReport(context, status);
  report.values = std::move(values);
  report.listName = listName;
  report.items.push_back(itemOf(record));
  deliver(context, std::move(report));
}

}  // namespace

void onAccount(WSTATUS status, const WContentProvider&, VOID* userData) {
  CallContext& context = contextOf(userData);
  deliver(context, newReport(context, status));
}

void onGroupList(WSTATUS status, const WContentProvider&, const WContainer<WGroup>& groups,
                 const WPerson& person, VOID* userData) {
  deliverList(userData, status, "groups", groups,
              Json{{"person", person.getUID().empty() ? "me" : person.getUID()}});
}

void onGroup(WSTATUS status, const WContentProvider&, const WGroup& group, VOID* userData) {
  deliverOne(userData, status, "groups", group);
}

void onContentList(WSTATUS status, const WContentProvider&, const WContainer<WContent>& contents,
                   VOID* userData) {
  deliverList(userData, status, "contents", contents);
}

void onContentCreation(WSTATUS status, const WContentProvider&, const WGroup& group,
                       const WContent& content, const STRING& filePath, VOID* userData) {
  deliverOne(userData, status, "contents", content,
             Json{{"group", group.getUID()}, {"file", filePath}});
}

void onContent(WSTATUS status, const WContentProvider&, const WContent& content, VOID* userData) {
  deliverOne(userData, status, "contents", content);
}

void onCommentList(WSTATUS status, const WContentProvider&, const WContainer<WComment>& comments,
                   VOID* userData) {
  deliverList(userData, status, "comments", comments);
}

void onCommentText(WSTATUS status, const WContentProvider&, const WComment& comment,
                   const STRING& text, VOID* userData) {
  Json values = Json::object();
  // The UID the caller asked about; a new comment has none yet.
  if (!text.empty()) values["comment_uid"] = text;
  deliverOne(userData, status, "comments", comment, std::move(values));
}

void onComment(WSTATUS status, const WContentProvider&, const WComment& comment, VOID* userData) {
  deliverOne(userData, status, "comments", comment);
}

void onCancel(WSTATUS status, const WContentProvider&, void* userData) {
  CallContext& context = contextOf(userData);
  Report report = newReport(context, status);
  report.values["cancelled"] = report.op;
  report.op = "cancel";
  deliver(context, std::move(report));
}

void onDirectDownload(WSTATUS status, const WContentProvider&, const STRING& name, void* userData) {
  CallContext& context = contextOf(userData);
  Report report = newReport(context, status);
  report.values["name"] = name;
  deliver(context, std::move(report));
}

void onContentDownload(int status, const WContentProvider&, const WMediaResource& resource,
                       std::istream& stream, void* userData) {
  CallContext& context = contextOf(userData);
  Report report = newReport(context, status);
  report.values["url"] = resource.getResourceURL();

  std::string writeError;
  std::ofstream out;
  if (status == 0 && !context.fetchOutPath.empty()) {
    out.open(context.fetchOutPath, std::ios::binary | std::ios::trunc);
    if (!out) writeError = "cannot open " + context.fetchOutPath;
  }
  long long bytes = 0;
  char buffer[16384];
  while (stream.good()) {
    stream.read(buffer, sizeof buffer);
    const std::streamsize got = stream.gcount();
    if (got <= 0) break;
    bytes += got;
    if (out.is_open()) out.write(buffer, got);
  }
  if (out.is_open()) {
    out.close();
    if (!out) writeError = "cannot write " + context.fetchOutPath;
  }
  if (!writeError.empty()) report.values["write_error"] = writeError;
  report.values["bytes"] = bytes;
  if (!context.fetchOutPath.empty()) report.values["out"] = context.fetchOutPath;
  if (!writeError.empty() && report.status == W::WSTATUS_SUCCESS)
    report.status = W::WSTATUS_FILE_ERROR;
  deliver(context, std::move(report));
}

}  // namespace callbacks
}  // namespace kvhost
