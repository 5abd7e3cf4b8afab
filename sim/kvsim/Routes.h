// What every resource handler receives and returns, the shared answer
// builders, and the handler entry points of each resource family.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Accounts.h"
#include "FormCodec.h"
#include "Store.h"

namespace httplib {
struct Request;
}

namespace kvsim {

class Faults;
class RequestLog;

// The server-wide objects a handler may use.
struct Context {
  Store& store;
  const AccountList& accounts;
  Faults& faults;
  RequestLog& log;
  std::string base;  // "http://127.0.0.1:PORT"
};

// One request, already parsed and authenticated.
struct Call {
  std::string method;
  std::string path;
  std::vector<std::string> segments;  // resource path after "/openapi/service/kinvale/"
  Form query;
  Form form;            // url-encoded body
  std::string rawBody;  // the raw body, for handlers that parse it themselves
  const httplib::Request* request = nullptr;
  const Account* account = nullptr;  // the caller; null for media and admin
};

// An answer before it goes on the wire.
struct Reply {
  int status = 200;
  std::string contentType;
  std::string body;
  std::shared_ptr<const std::string> bytes;  // media answers: shared, not copied
};

// 200 with an "ok" envelope and `dataXml` inside "data".
Reply okReply(const std::string& dataXml, const std::string& desc = "ok");
// 200 with a "fail" envelope (a service-level failure) and an empty "data".
Reply failReply(const std::string& desc);
// 403 (or `status`) with the plain-text body "Error=CODE" and a description line.
Reply refusedReply(const std::string& code, const std::string& desc, int status = 403);
// 400 "Error=105" for a paging value out of range (see readPaging).
Reply badPagingReply(const std::string& name);
// Any code with a plain-text body.
Reply textReply(int status, const std::string& text);

// Service error codes kvsim uses in its 403 bodies.
extern const char kErrBadParameter[];  // "105": a query or form value is invalid
extern const char kErrNotPermitted[];  // "203": the caller may not do this
extern const char kErrNoSuchRecord[];  // "204": the UID names nothing
extern const char kErrUploadSize[];    // "209": empty upload or size unlike the slot's

// Account family: "register" and "auth".
Reply handleRegister(Context& ctx, const Call& call);
Reply handleAuth(Context& ctx, const Call& call);

// Group family: "group.list", "group.create", "group.delete".
Reply handleGroupList(Context& ctx, const Call& call);
Reply handleGroupCreate(Context& ctx, const Call& call);
Reply handleGroupDelete(Context& ctx, const Call& call);

// Content family: "feeds", content "view" and "delete".
Reply handleFeeds(Context& ctx, const Call& call);
Reply handleContentView(Context& ctx, const Call& call);
Reply handleContentDelete(Context& ctx, const Call& call);

// Upload family: the "upload" slot and the multipart target /upload/UID.
Reply handleUploadSlot(Context& ctx, const Call& call);
Reply handleUploadTarget(Context& ctx, const Call& call);

// Comment family: "comment", "comment.list", comment "view" and "delete".
Reply handleCommentCreate(Context& ctx, const Call& call);
Reply handleCommentList(Context& ctx, const Call& call);
Reply handleCommentView(Context& ctx, const Call& call);
Reply handleCommentDelete(Context& ctx, const Call& call);

// Media files under /media/.
Reply handleMedia(Context& ctx, const Call& call);

// Admin endpoints under /admin/ (fault, faults, reset, log).
Reply handleAdmin(Context& ctx, const Call& call);

}  // namespace kvsim
