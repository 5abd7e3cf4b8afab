// Authorization header parsing and HMAC-SHA1 signing.
#include "AuthHeader.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cstdio>
#include <vector>

namespace kvsim {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

bool parseAuthorization(const std::string& value, AuthFields& fields) {
  fields.clear();
  size_t i = 0;
  const size_t n = value.size();
  while (true) {
    while (i < n && (isBlank(value[i]) || value[i] == ',')) ++i;
    if (i >= n) break;
    size_t eq = value.find('=', i);
    if (eq == std::string::npos) return false;
    std::string name = value.substr(i, eq - i);
    while (!name.empty() && isBlank(name.back())) name.pop_back();
    if (name.empty()) return false;
    i = eq + 1;
    while (i < n && isBlank(value[i])) ++i;
    if (i >= n || value[i] != '"') return false;
    size_t close = value.find('"', i + 1);
    if (close == std::string::npos) return false;
    fields[name] = value.substr(i + 1, close - i - 1);
    i = close + 1;
    while (i < n && isBlank(value[i])) ++i;
    if (i < n && value[i] != ',') return false;
  }
  return !fields.empty();
}

std::string signatureOf(const std::string& key, const std::string& message) {
  std::vector<unsigned char> buffer(message.begin(), message.end());
  buffer.push_back(0);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  static const unsigned char kNoKey = 0;
  const void* keyBytes = key.empty() ? static_cast<const void*>(&kNoKey) : key.data();
  if (HMAC(EVP_sha1(), keyBytes, static_cast<int>(key.size()), buffer.data(), buffer.size(), digest,
           &length) == nullptr) {
    return std::string();
  }
  std::string hex;
  char two[3];
  for (unsigned int k = 0; k < length; ++k) {
    std::snprintf(two, sizeof two, "%02x", digest[k]);
    hex += two;
  }
  return hex;
}

std::string buildAuthorization(const std::string& appId, const std::string& token,
                               const std::string& duid, const std::string& signature) {
  return " auth_identifier=\"KV_AUTH_V1\", app_id=\"" + appId + "\", app_type=\"dtv\", token=\"" +
         token + "\", token_type=\"user\", duid=\"" + duid + "\", signature=\"" + signature + "\"";
}

}  // namespace kvsim
