// register and auth: the account operations, usable before login.
#include <W/WStatus.h>

#include <cstdio>

#include "Commands.h"
#include "ProviderConfig.h"

namespace kvhost {

namespace {

// The provider refuses both operations with -1 when an account option is
// empty, and says no more; name the options and their flags.
Outcome explainRefusal(const char* op, Outcome outcome) {
  if (outcome.kind != Outcome::kRefused || outcome.status != W::WSTATUS_INVALID_ARGUMENT)
    return outcome;
  for (const AccountOption& option : missingAccountOptions())
    std::fprintf(stderr,
                 "kvhost: %s needs the account option %s: set it with %s, or %s= in --config\n", op,
                 option.key, option.flag, option.key);
  return outcome;
}

}  // namespace

Outcome runRegister(Context& c) {
  return explainRefusal("register", c.driver.run("register", [&](void* ud) {
    return c.provider.registerKV(&callbacks::onAccount, ud);
  }));
}

Outcome authenticate(Context& c, RunMode mode) {
  return explainRefusal(
      "auth",
      c.driver.run(
          "auth", [&](void* ud) { return c.provider.authKV(&callbacks::onAccount, ud); }, mode));
}

Outcome runAuth(Context& c) {
  return authenticate(c, RunMode());
}

}  // namespace kvhost
