// "register" and "auth": the account requests a television sends before it
// has a session.
#include "Routes.h"
#include "XmlWriter.h"

namespace kvsim {

Reply handleRegister(Context&, const Call& call) {
  XmlWriter w;
  w.open("device").element("duid", call.account->duid).element("registered", "true").close();
  return okReply(w.str(), "registered");
}

Reply handleAuth(Context&, const Call& call) {
  const Account& a = *call.account;
  XmlWriter w;
  w.open("user")
      .element("userId", a.userId)
      .element("userName", a.userName)
      .element("appToken", a.appToken)
      .close();
  return okReply(w.str(), "authenticated");
}

}  // namespace kvsim
