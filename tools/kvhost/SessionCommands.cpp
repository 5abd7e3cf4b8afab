// register and auth: the account operations, usable before login.
#include "Commands.h"

namespace kvhost {

Outcome runRegister(Context& c) {
  return c.driver.run("register",
                      [&](void* ud) { return c.provider.registerKV(&callbacks::onAccount, ud); });
}

Outcome runAuth(Context& c) {
  return c.driver.run("auth",
                      [&](void* ud) { return c.provider.authKV(&callbacks::onAccount, ud); });
}

}  // namespace kvhost
