// Account configuration and request credential checks.
#include "Accounts.h"

#include <fstream>
#include <sstream>

#include "AuthHeader.h"

namespace kvsim {

Account AccountList::defaultAccount() {
  Account a;
  a.appId = "kvdemo-app";
  a.authToken = "kvdemo-token";
  a.duid = "kvdemo-tv-0001";
  a.userId = "u1";
  a.userName = "Alex Kim";
  return a;
}

bool AccountList::loadFile(const std::string& path, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read accounts file " + path;
    return false;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Account a;
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
      size_t eq = word.find('=');
      if (eq == std::string::npos) continue;
      std::string key = word.substr(0, eq);
      std::string value = word.substr(eq + 1);
      if (key == "app_id") a.appId = value;
      if (key == "AuthToken") a.authToken = value;
      if (key == "duid") a.duid = value;
      if (key == "appToken") a.appToken = value;
      if (key == "userId") a.userId = value;
      if (key == "userName") {
        size_t at = line.find("userName=");
        a.userName = line.substr(at + 9);
        break;
      }
    }
    if (a.appId.empty() || a.authToken.empty() || a.duid.empty()) {
      error = path + ":" + std::to_string(number) + ": needs app_id, AuthToken and duid";
      return false;
    }
    if (a.userId.empty()) a.userId = m_accounts.empty() ? "u1" : "u" + std::to_string(100 + number);
    if (a.userName.empty()) a.userName = "User " + a.userId;
    m_accounts.push_back(a);
  }
  if (m_accounts.empty()) {
    error = "no account in " + path;
    return false;
  }
  return true;
}

AuthResult AccountList::check(const std::string& authorization, bool accountRequest) const {
  AuthResult result;
  AuthFields f;
  if (authorization.empty()) {
    result.reason = "missing Authorization";
    return result;
  }
  if (!parseAuthorization(authorization, f)) {
    result.reason = "unreadable Authorization";
    return result;
  }
  result.appId = f["app_id"];
  result.duid = f["duid"];
  static const char* const kRequired[] = {"auth_identifier", "app_id", "app_type", "token",
                                          "token_type",      "duid",   "signature"};
  for (const char* name : kRequired) {
    if (f.count(name) == 0) {
      result.reason = std::string("Authorization lacks ") + name;
      return result;
    }
  }
  if (f["auth_identifier"] != "KV_AUTH_V1" || f["app_type"] != "dtv" || f["token_type"] != "user") {
    result.reason = "unknown auth_identifier, app_type or token_type";
    return result;
  }
  const Account* match = nullptr;
  for (const Account& a : m_accounts) {
    if (a.appId == f["app_id"] && a.authToken == f["token"] && a.duid == f["duid"]) {
      match = &a;
      break;
    }
  }
  const std::string& sig = f["signature"];
  if (match != nullptr) {
    result.signatureOk = sig == signatureOf(match->appId, match->authToken) ||
                         (accountRequest && sig == signatureOf("", ""));
  }
  if (match == nullptr) {
    result.reason = "unknown account";
    return result;
  }
  if (!result.signatureOk) {
    result.reason = "bad signature";
    return result;
  }
  result.account = match;
  return result;
}

const Account* AccountList::byAppToken(const std::string& appToken) const {
  for (const Account& a : m_accounts) {
    if (a.appToken == appToken) return &a;
  }
  return nullptr;
}

}  // namespace kvsim
