// The service's KV_AUTH_V1 "Authorization" header: parsing its quoted fields
// and computing the request signature the way the plug-in does.
#pragma once

#include <map>
#include <string>

namespace kvsim {

// Fields of one Authorization value, by name ("auth_identifier", "app_id",
// "app_type", "token", "token_type", "duid", "signature").
using AuthFields = std::map<std::string, std::string>;

// Parses ` name="value", name="value"`; leading and trailing blanks and the
// separator's blanks are tolerated. Returns false for text that is not a list
// of quoted pairs (an unquoted value, a missing "=", an unterminated quote).
bool parseAuthorization(const std::string& value, AuthFields& fields);

// HMAC-SHA1 under `key` of the bytes of `message` followed by one zero byte,
// as 40 lower-case hex digits.
std::string signatureOf(const std::string& key, const std::string& message);

// Builds the header value exactly as the plug-in writes it (used by tests and
// by the documentation examples).
std::string buildAuthorization(const std::string& appId, const std::string& token,
                               const std::string& duid, const std::string& signature);

}  // namespace kvsim
