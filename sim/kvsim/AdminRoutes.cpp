// The admin endpoints that tests and integrators use to inject faults and
// read the request log while kvsim runs.
#include "Faults.h"
#include "RequestLog.h"
#include "Routes.h"

namespace kvsim {

Reply handleAdmin(Context& ctx, const Call& call) {
  const std::string& path = call.path;
  if (path == "/admin/fault" && call.method == "POST") {
    FaultRule rule;
    std::string error;
    if (!Faults::parseRule(call.rawBody, rule, error)) return textReply(400, error + "\n");
    int id = ctx.faults.add(rule);
    return textReply(200, "ok id=" + std::to_string(id) + "\n");
  }
  if (path == "/admin/reset") {
    ctx.faults.clear();
    return textReply(200, "ok\n");
  }
  if (path == "/admin/faults" && call.method == "GET") return textReply(200, ctx.faults.describe());
  if (path == "/admin/log" && call.method == "GET") return textReply(200, ctx.log.text());
  return textReply(404, "unknown admin request\n");
}

}  // namespace kvsim
