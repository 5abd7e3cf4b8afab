// Writes kvhost's account and service settings into the host configuration
// (W::WConfigManager, shared with the plug-in through libW) for the Kinvale
// provider identity.
#pragma once

#include <W/WContentProvider.h>

#include <string>
#include <vector>

#include "Invocation.h"

namespace kvhost {

// The identity the plug-in reads its options under: "Kinvale", type 12.
W::WContentProvider kinvaleIdentity();

// Loads --config FILE first (key=value lines: base_url, app_id, AuthToken,
// duid, and any other provider option), then lets --base-url, --app-id,
// --auth-token and --duid override it. Returns false with `error` set when
// the file cannot be read (naming the file and the system's reason) or has a
// line that is not key=value.
bool applyProviderOptions(const Invocation& invocation, std::string& error);

// An account option that registerKV and authKV need, and how to set it.
struct AccountOption {
  const char* key;   // "app_id", "AuthToken" or "duid"
  const char* flag;  // "--app-id", "--auth-token" or "--duid"
};

// The account options that are empty in the host configuration now.
std::vector<AccountOption> missingAccountOptions();

}  // namespace kvhost
