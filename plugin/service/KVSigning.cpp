// Request signing and the Authorization and DATE headers.
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <vector>

#include "service/KVLog.h"
#include "service/KVService.h"

namespace W {

void KVService::getAPISignature(STRING key, STRING message, STRING& out) {
  // The service signs the token together with its terminating zero byte.
  std::vector<unsigned char> buf(message.begin(), message.end());
  buf.push_back('\0');
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  if (HMAC(EVP_sha1(), key.data(), static_cast<int>(key.size()), buf.data(), buf.size(), digest,
           &len) == nullptr) {
    return;  // no digits: the caller refuses to send the request
  }
  static const char kDigits[] = "0123456789abcdef";
  for (unsigned int i = 0; i < len; ++i) {
    out += kDigits[digest[i] >> 4];
    out += kDigits[digest[i] & 0x0f];
  }
}

STRING KVService::sessionSignature(const KVCredentials& credentials) const {
  // Every request is signed; the signature only changes with the account.
  std::lock_guard<std::mutex> lock(m_signLock);
  if (m_signedValue.empty() || m_signedAppID != credentials.appID ||
      m_signedToken != credentials.authToken) {
    m_signedValue.clear();
    getAPISignature(credentials.appID, credentials.authToken, m_signedValue);
    m_signedAppID = credentials.appID;
    m_signedToken = credentials.authToken;
  }
  return m_signedValue;
}

STRING KVService::getGMTTime() {
  return getGMTTime(std::time(nullptr));
}

STRING KVService::getGMTTime(std::time_t when) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm tm{};
  gmtime_r(&when, &tm);
  STRING text;
  text += kDays[tm.tm_wday % 7];
  text += ", ";
  text += int2str(static_cast<UINT32>(tm.tm_mday));
  text += " ";
  text += kMonths[tm.tm_mon % 12];
  text += " ";
  text += int2str(static_cast<UINT32>(tm.tm_year + 1900));
  text += " ";
  text += int2str(static_cast<UINT32>(tm.tm_hour));
  text += ":";
  text += int2str(static_cast<UINT32>(tm.tm_min));
  text += ":";
  text += int2str(static_cast<UINT32>(tm.tm_sec));
  text += " ";
  text += "GMT";
  return text;
}

STRING KVService::buildAuthorization(const STRING& appID, const STRING& token, const STRING& duid,
                                     const STRING& signature) {
  STRING v;
  v += " ";
  v += "auth_identifier=\"KV_AUTH_V1\"";
  v += ", app_id=\"" + appID + "\"";
  v += ", app_type=\"dtv\"";
  v += ", token=\"" + token + "\"";
  v += ", token_type=\"user\"";
  v += ", duid=\"" + duid + "\"";
  v += ", signature=\"" + signature + "\"";
  return v;
}

KVHeaderMap KVService::sessionHeaders() const {
  KVHeaderMap headers;
  requestHeaders(KVHeaderSet::Session, headers);
  return headers;
}

KVHeaderMap KVService::configHeaders() const {
  KVHeaderMap headers;
  requestHeaders(KVHeaderSet::Config, headers);
  return headers;
}

WSTATUS KVService::requestHeaders(KVHeaderSet set, KVHeaderMap& headers) const {
  headers.clear();
  // One copy: identity and signature always belong together.
  const KVCredentials session = credentials();
  if (set == KVHeaderSet::AppTokenOnly) {
    headers["appToken"] = session.appToken;
    return WSTATUS_SUCCESS;
  }
  const STRING signature = sessionSignature(session);
  if (signature.empty()) return KV_LOG_SERVICE(WSTATUS_FAILURE);
  if (set == KVHeaderSet::Config) {
    headers["Authorization"] =
        buildAuthorization(option("app_id"), option("AuthToken"), option("duid"), signature);
  } else {
    headers["Authorization"] =
        buildAuthorization(session.appID, session.authToken, session.duid, signature);
  }
  if (set == KVHeaderSet::SessionWithAppToken) headers["appToken"] = session.appToken;
  headers["DATE"] = getGMTTime();
  return WSTATUS_SUCCESS;
}

}  // namespace W
