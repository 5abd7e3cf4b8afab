// The command handlers of kvhost, one per command; the table in
// CommandTable.cpp names them. Each starts its operation through the
// Driver and returns how it ended.
#pragma once

#include "Driver.h"
#include "Invocation.h"
#include "PluginLoader.h"

namespace kvhost {

struct Context {
  const Invocation& invocation;
  W::WKinvaleOAI& provider;
  PluginLoader& loader;
  Driver& driver;
};

// Runs `operation` on a record that carries only the UID given as the first
// argument (view, delete, group-delete, comment-view, comment-delete).
template <class Record, class Callback>
Outcome runOnUID(Context& c, const char* op,
                 W::WSTATUS (W::WKinvaleOAI::*operation)(const Record&, Callback, W::VOID*),
                 Callback callback) {
  Record record;
  record.setUID(c.invocation.arg(0));
  return c.driver.run(op, [&](void* ud) { return (c.provider.*operation)(record, callback, ud); });
}

// Account (SessionCommands.cpp). A refusal for want of an account option
// names the missing options and their flags on standard error.
Outcome runRegister(Context& context);
Outcome runAuth(Context& context);
// authKV with the given mode; runAuth and the login before other commands.
Outcome authenticate(Context& context, RunMode mode);

// Groups and feeds (GroupCommands.cpp).
Outcome runGroups(Context& context);
Outcome runGroupCreate(Context& context);
Outcome runGroupDelete(Context& context);
Outcome runFeed(Context& context);

// Contents and comments (ContentCommands.cpp).
Outcome runUpload(Context& context);
Outcome runView(Context& context);
Outcome runDelete(Context& context);
Outcome runComments(Context& context);
Outcome runComment(Context& context);
Outcome runCommentView(Context& context);
Outcome runCommentDelete(Context& context);

// Transfers (TransferCommands.cpp).
Outcome runDownload(Context& context);
Outcome runFetch(Context& context);
Outcome runMime(Context& context);

}  // namespace kvhost
