// The accounts kvsim knows (app ID, auth token, DUID, app token, user) and the
// check of a request's Authorization header against them.
#pragma once

#include <string>
#include <vector>

namespace kvsim {

struct Account {
  std::string appId;
  std::string authToken;
  std::string duid;
  std::string appToken;  // empty: the plug-in's session never holds one
  std::string userId;    // the person this account acts as
  std::string userName;
};

// Outcome of checking one request's credentials.
struct AuthResult {
  const Account* account = nullptr;  // null when the check failed
  std::string appId;                 // as sent, for the request log ("" when absent)
  std::string duid;
  bool signatureOk = false;
  std::string reason;  // why it failed, for the 401 body
};

class AccountList {
 public:
  // The account used when no flag or file names one.
  static Account defaultAccount();

  void add(Account account) { m_accounts.push_back(std::move(account)); }
  bool empty() const { return m_accounts.empty(); }
  const std::vector<Account>& all() const { return m_accounts; }

  // Reads lines "app_id=A AuthToken=T duid=D [appToken=X] [userId=U]
  // [userName=N]" (blank lines and "#" comments skipped; userName runs to the
  // end of the line). Returns false with `error` set for an unreadable file or
  // a line without app_id, AuthToken or duid.
  bool loadFile(const std::string& path, std::string& error);

  // Checks an Authorization value. For the account requests ("register",
  // "auth") `accountRequest` also accepts the signature of an empty key over
  // an empty token, which is what a session that has not yet authenticated
  // sends. Fails when the value does not parse, a field is missing, the
  // fields match no account, or the signature is wrong.
  AuthResult check(const std::string& authorization, bool accountRequest) const;

  // The account whose app token equals `appToken`; an empty header value
  // matches the first account whose app token is empty. Null when none does.
  const Account* byAppToken(const std::string& appToken) const;

 private:
  std::vector<Account> m_accounts;
};

}  // namespace kvsim
