// Writes kvhost's account and service settings into the host configuration
// (W::WConfigManager, shared with the plug-in through libW) for the Kinvale
// provider identity.
#pragma once

#include <W/WContentProvider.h>

#include <string>

#include "Invocation.h"

namespace kvhost {

// The identity the plug-in reads its options under: "Kinvale", type 12.
W::WContentProvider kinvaleIdentity();

// Loads --config FILE first (key=value: base_url, app_id, AuthToken, duid),
// then lets --base-url, --app-id, --auth-token and --duid override it.
// Returns false with `error` set when the file cannot be read or parsed.
bool applyProviderOptions(const Invocation& invocation, std::string& error);

}  // namespace kvhost
