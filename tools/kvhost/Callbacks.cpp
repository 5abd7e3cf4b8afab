// Provider callbacks: records in, report out.
#include "Callbacks.h"

#include <cstdio>
#include <fstream>
#include <utility>

#include "RecordFields.h"

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
                 Record (*toRecord)(const T&), Record values = Record()) {
  CallContext& context = contextOf(userData);
  Report report = newReport(context, status);
  report.values = std::move(values);
  // A parser that does not count leaves -1; print a count only when there is one.
  if (list.getCount() >= 0) report.values.number("count", list.getCount());
  report.listName = listName;
  for (const T& item : list.getData()) report.items.push_back(toRecord(item));
  deliver(context, std::move(report));
}

// A callback that hands back one record, shown as a list of one.
void deliverOne(void* userData, int status, const char* listName, Record record,
                Record values = Record()) {
  CallContext& context = contextOf(userData);
  Report report = newReport(context, status);
  report.values = std::move(values);
  report.listName = listName;
  report.items.push_back(std::move(record));
  deliver(context, std::move(report));
}

}  // namespace

void onAccount(WSTATUS status, const WContentProvider&, VOID* userData) {
  CallContext& context = contextOf(userData);
  deliver(context, newReport(context, status));
}

void onGroupList(WSTATUS status, const WContentProvider&, const WContainer<WGroup>& groups,
                 const WPerson& person, VOID* userData) {
  Record values;
  values.text("person", person.getUID().empty() ? "me" : person.getUID());
  deliverList(userData, status, "groups", groups, &groupRecord, std::move(values));
}

void onGroup(WSTATUS status, const WContentProvider&, const WGroup& group, VOID* userData) {
  deliverOne(userData, status, "groups", groupRecord(group));
}

void onContentList(WSTATUS status, const WContentProvider&, const WContainer<WContent>& contents,
                   VOID* userData) {
  deliverList(userData, status, "contents", contents, &contentRecord);
}

void onContentCreation(WSTATUS status, const WContentProvider&, const WGroup& group,
                       const WContent& content, const STRING& filePath, VOID* userData) {
  Record values;
  values.text("group", group.getUID()).text("file", filePath);
  deliverOne(userData, status, "contents", contentRecord(content), std::move(values));
}

void onContent(WSTATUS status, const WContentProvider&, const WContent& content, VOID* userData) {
  deliverOne(userData, status, "contents", contentRecord(content));
}

void onCommentList(WSTATUS status, const WContentProvider&, const WContainer<WComment>& comments,
                   VOID* userData) {
  deliverList(userData, status, "comments", comments, &commentRecord);
}

void onCommentText(WSTATUS status, const WContentProvider&, const WComment& comment,
                   const STRING& text, VOID* userData) {
  Record values;
  // The UID the caller asked about; a new comment has none yet.
  if (!text.empty()) values.text("comment_uid", text);
  deliverOne(userData, status, "comments", commentRecord(comment), std::move(values));
}

void onComment(WSTATUS status, const WContentProvider&, const WComment& comment, VOID* userData) {
  deliverOne(userData, status, "comments", commentRecord(comment));
}

void onCancel(WSTATUS status, const WContentProvider&, void* userData) {
  CallContext& context = contextOf(userData);
  Report report = newReport(context, status);
  report.values.text("cancelled", report.op);
  report.op = "cancel";
  deliver(context, std::move(report));
}

void onDirectDownload(WSTATUS status, const WContentProvider&, const STRING& name, void* userData) {
  CallContext& context = contextOf(userData);
  Report report = newReport(context, status);
  report.values.text("name", name);
  deliver(context, std::move(report));
}

void onContentDownload(int status, const WContentProvider&, const WMediaResource& resource,
                       std::istream& stream, void* userData) {
  CallContext& context = contextOf(userData);
  Report report = newReport(context, status);
  report.values.text("url", resource.getResourceURL());

  std::ofstream out;
  if (status == 0 && !context.fetchOutPath.empty()) {
    out.open(context.fetchOutPath, std::ios::binary | std::ios::trunc);
    if (!out) report.values.text("write_error", "cannot open " + context.fetchOutPath);
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
    if (!out) report.values.text("write_error", "cannot write " + context.fetchOutPath);
  }
  report.values.number("bytes", bytes);
  if (!context.fetchOutPath.empty()) report.values.text("out", context.fetchOutPath);
  if (!report.values.get("write_error").empty() && report.status == 0) report.status = -5;
  deliver(context, std::move(report));
}

}  // namespace callbacks
}  // namespace kvhost
