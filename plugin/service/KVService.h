// The provider's session and transport: credentials, signing, request
// execution through the host executor, the response envelope and status
// mapping, the service's pending exceptions, and the one cancellable
// transfer. Owned by WKVOAI for its whole life.
#pragma once

#include <W/HttpDelegator.h>
#include <W/HttpResponse.h>
#include <W/WContentProvider.h>
#include <W/WException.h>
#include <W/WStatus.h>
#include <W/WTypes.h>

#include "service/KVCodes.h"
#include "service/KVLimits.h"

#include <ctime>
#include <list>
#include <map>
#include <memory>
#include <mutex>

namespace xmlpp {
class Node;
}  // namespace xmlpp

namespace W {

class KVService;
class KVXmlAnswer;
class KVServiceCMD;

// Travels with each queued request as the executor's user pointer. Owns
// its command; owned by the session's argument list.
struct KVServiceArgs {
  KVService* pService;
  KVServiceCMD* pCmd;
};

// The provider's completion dispatcher.
typedef void (*KVDispatchFn)(SESSION_STATUS, const HttpResponse&, KVServiceCMD*);

// Request headers by name; handed to the host in key order.
typedef std::map<STRING, STRING> KVHeaderMap;

// The identity the session signs with. Written by the account completions
// on the executor's thread and read by operations on the host's threads, so
// it is only ever copied whole, under the session's credential lock.
struct KVCredentials {
  STRING userID;
  STRING appID;
  STRING authToken;
  STRING appToken;
  STRING duid;
};

// The headers a request carries: signed with the session's identity (every
// operation after login), the same with its "appToken" added, signed with
// the identity the host configured (the account operations, before login),
// or the app token alone (comment creation).
enum class KVHeaderSet { Session, SessionWithAppToken, Config, AppTokenOnly };

class KVService {
 public:
  // Default service base URL when the provider has no "base_url" option:
  // the local emulator's default address.
  static const char* const kDefaultBaseURL;

  KVService(const STRING& name, const WContentProvider& provider);
  virtual ~KVService();

  KVService(const KVService&) = delete;
  KVService& operator=(const KVService&) = delete;

  // --- credentials: copies, taken whole under the credential lock ---
  KVCredentials credentials() const;
  STRING getUserID() const { return credentials().userID; }
  STRING getAppID() const { return credentials().appID; }
  STRING getAuthToken() const { return credentials().authToken; }
  STRING getAppToken() const { return credentials().appToken; }
  STRING getDUID() const { return credentials().duid; }
  void setUserID(const STRING& userID);
  // True exactly when the auth token is not empty.
  bool isLoggedIn() const;
  // No node: clears every credential. A node with children: loads app ID,
  // auth token and DUID from the provider's options. A childless node:
  // nothing changes.
  void setUserCredential(const xmlpp::Node* node, const WContentProvider& provider);

  // --- completion dispatcher ---
  void setFnCallbackPtr(KVDispatchFn fn) { m_dispatch = fn; }
  KVDispatchFn getFnCallbackPtr() const { return m_dispatch; }

  // --- argument list ---
  void addARGS(KVServiceArgs* args);
  // Removes `args` if listed, then deletes its command and the record;
  // an unlisted pointer is left alone.
  void cleanupARGS(KVServiceArgs* args);
  size_t pendingArgs() const;

  // --- text helpers ---
  // Decimal text without sign, padding or leading zeros.
  static STRING int2str(UINT32 value);
  // Replaces every space with "+", in place, and returns a copy.
  static STRING space2Char(STRING& text);

  // --- signing and addressing ---
  // Appends to `out` the 40 lower-case hex digits of HMAC-SHA1 under `key`
  // over the bytes of `message` followed by one zero byte. Appends nothing
  // when the digest cannot be computed.
  static void getAPISignature(STRING key, STRING message, STRING& out);
  // "Mon, 7 Dec 2026 9:5:3 GMT" for now (UTC), without zero padding.
  static STRING getGMTTime();
  static STRING getGMTTime(std::time_t when);
  // The Authorization value: leading space, KV_AUTH_V1 fields in order.
  static STRING buildAuthorization(const STRING& appID, const STRING& token, const STRING& duid,
                                   const STRING& signature);
  // "Authorization" (from the session's credentials) and "DATE".
  KVHeaderMap sessionHeaders() const;
  // The same, with app ID, token and DUID read from the provider's options
  // (the account operations); the signature still uses the session's.
  KVHeaderMap configHeaders() const;
  // The headers of `set` into `headers`. A signed request never goes out
  // unsigned: when the signature cannot be computed, logs and returns
  // WSTATUS_FAILURE and leaves `headers` empty; otherwise returns
  // WSTATUS_SUCCESS.
  WSTATUS requestHeaders(KVHeaderSet set, KVHeaderMap& headers) const;
  // Base URL (option "base_url" without trailing "/", or the default) +
  // "/openapi/service/kinvale/" + `resource` (which may carry "?query").
  STRING serviceURL(const STRING& resource) const;
  // A provider option as text (empty when missing).
  STRING option(const STRING& key) const;
  // The limits of the provider's options "max_answer_bytes",
  // "request_timeout", "ca_file", "max_answer_elements",
  // "max_answer_records" and "max_download_bytes" (service/KVLimits.h).
  KVLimits limits() const;
  // Whether the base URL is https: the session then never sends its
  // credentials over plain http.
  bool isSecure() const;

  // --- request execution ---
  // Queued requests: own `cmd` from the call on (deleted on any failure).
  // Return WSTATUS_SUCCESS, or a negative status (already logged).
  WSTATUS getDataRequest(const STRING& url, const KVHeaderMap& headers, const STRING& body,
                         KVServiceCMD* cmd);
  WSTATUS postDataRequest(const STRING& url, const KVHeaderMap& headers, const STRING& body,
                          KVServiceCMD* cmd);
  // Multipart upload of `path`: one part named by the first key of `parts`,
  // whose value is the part's content type. Cancellable, with progress.
  // `fileSize` is 64 bits wide on every target, so that a file of 2 GiB or
  // more has its size on 32-bit ARM as on x86-64.
  WSTATUS postDataRequest(const STRING& url, const KVHeaderMap& headers, const KVHeaderMap& parts,
                          KVServiceCMD* cmd, const STRING& path, long long fileSize);
  // GET whose body the host writes to `path`, created with permissions
  // `fileMode`. Cancellable, with progress.
  WSTATUS retrieveFData(const STRING& url, const STRING& text, KVServiceCMD* cmd,
                        const STRING& path, unsigned fileMode = kSharedFileMode);
  // Downloads the host's players read (0644), and those only the process
  // reads (0600).
  static constexpr unsigned kSharedFileMode = 0644;
  static constexpr unsigned kPrivateFileMode = 0600;
  // Synchronous requests; `response` is filled only on WSTATUS_SUCCESS.
  WSTATUS postFData(const STRING& url, const KVHeaderMap& headers, const STRING& body,
                    HttpResponse& response);
  WSTATUS retrieveFData(const STRING& url, const STRING& text, HttpResponse& response);
  // Drops the provider's requests at the executor and forgets the current
  // request. Waits for a completion running on another thread.
  void flushHttpRequests();
  // Completion entry of every queued request.
  static void cbKVFnCallback(SESSION_STATUS status, HttpRequest* request, VOID* arg);

  // --- cancel and progress of the one cancellable transfer ---
  void setCancel();
  void getProgressStatus(double& done, double& total);
  void updateProgressStatus();
  void resetProgressStatus();
  void resetReqStatus();
  // The same three for a completing command: they act only when `cmd` is
  // the current transfer's command, so that a transfer that was never the
  // current one (or no longer is) cannot end the bookkeeping of the one
  // still running.
  void updateProgressStatus(const KVServiceCMD* cmd);
  void resetProgressStatus(const KVServiceCMD* cmd);
  void resetReqStatus(const KVServiceCMD* cmd);

  // --- status mapping ---
  static GSTATUS getKVSTATUS(int httpCode);
  static GSTATUS getKVSTATUS(const STRING& serviceCode);
  static WSTATUS getWlibSTATUS(GSTATUS code);
  // The status of a completion whose transfer ended with `status` (not
  // SESSION_OK): WSTATUS_OUT_OF_MEMORY for KV_SESSION_OUT_OF_MEMORY, else
  // getWlibSTATUS(status).
  static WSTATUS getSessionWSTATUS(SESSION_STATUS status);

  // --- response envelope ---
  // Parses `payload` into `answer` (service/KVXmlAnswer.h) and checks the
  // envelope: a document whose root is "rsp" with at least one child. On
  // success fills `children` with the root's children (owned by `answer`)
  // and returns WSTATUS_SUCCESS; otherwise logs and returns WSTATUS_FAILURE.
  static WSTATUS openEnvelope(const STRING& payload, KVXmlAnswer& answer,
                              std::list<xmlpp::Node*>& children);
  static STRING getReponseStatus(const xmlpp::Node* node);
  static STRING extractRespInfo(const xmlpp::Node* node, STRING& stat);
  static STRING extractErrorString(const xmlpp::Node* node, STRING& code);
  static STRING extractErrorString(const STRING& payload);
  static STRING getEntryContent(const STRING& name, const xmlpp::Node* node);
  // The same for a name given as text: no temporary string per lookup.
  static STRING getEntryContent(const char* name, const xmlpp::Node* node);

  // --- service exceptions ---
  WSTATUS setException(const WContentProvider& provider, ExceptionType_enum type,
                       const STRING& text1, const STRING& text2, const HttpResponse& response);
  WException* getException();
  void flushException(WException* exception);

  // --- session-level account requests ---
  WSTATUS login(const STRING& s1, const STRING& s2, const STRING& s3, const STRING& s4,
                const STRING& url, const KVHeaderMap& headers, const STRING& body,
                KVServiceCMD* cmd);
  WSTATUS login(const STRING& url, const KVHeaderMap& headers, const STRING& body,
                KVServiceCMD* cmd);
  WSTATUS resolveException(WException* exception, const STRING& url, const KVHeaderMap& headers,
                           const STRING& body, KVServiceCMD* cmd);
  WSTATUS logout(KVServiceCMD* cmd);

 private:
  enum class Transfer { None, Cancellable };
  // Owns an argument record, and so its command, until the executor takes
  // it; a record not taken also leaves the session's list.
  struct ArgsRelease {
    void operator()(KVServiceArgs* args) const;
  };
  typedef std::unique_ptr<KVServiceArgs, ArgsRelease> OwnedArgs;
  // The argument record of `cmd`, which it owns from the call on: also when
  // the record cannot be made, the command is freed.
  OwnedArgs newArgs(KVServiceCMD* cmd);
  // Lists `args` and queues `request`; returns WSTATUS_SUCCESS once the
  // executor took both, or its refusal (logged), both then freed.
  WSTATUS queueRequest(std::unique_ptr<HttpRequest> request, OwnedArgs args, Transfer transfer);
  WSTATUS queueBodyRequest(HTTP_REQUEST_TYPE type, const STRING& url, const KVHeaderMap& headers,
                           const STRING& body, KVServiceCMD* cmd);
  void beginTransfer(HttpRequest* request, const KVServiceCMD* cmd);
  void abandonTransfer(HttpRequest* request);
  void forgetRequest(HttpRequest* request);
  // Takes `args` off the list; false when it was not listed.
  bool unlinkARGS(const KVServiceArgs* args);
  static void releaseArgs(KVServiceArgs* args);
  WSTATUS runSynchronous(HTTP_REQUEST_TYPE type, const STRING& url, const KVHeaderMap& headers,
                         const STRING& body, KVRequestKind kind, HttpResponse& response);
  // getAPISignature(appID, authToken), computed again only when they
  // changed since the last request; empty when it cannot be computed.
  STRING sessionSignature(const KVCredentials& credentials) const;
  // A request of `kind` (not an upload) with the provider's limits applied;
  // `bodyOrPath` is the body, or the local file of a download. Without
  // `args` it is synchronous. Null when it cannot be created.
  std::unique_ptr<HttpRequest> newRequest(HTTP_REQUEST_TYPE type, const STRING& url,
                                          const KVHeaderMap& headers, const STRING& bodyOrPath,
                                          KVServiceArgs* args, KVRequestKind kind);

  mutable std::mutex m_listLock;  // guards m_args
  std::mutex m_exceptionLock;     // guards m_exceptions
  mutable std::mutex m_reqLock;  // guards m_inFlight, m_pCurrent, m_pCurrentCmd, m_current, m_total
  mutable std::mutex m_signLock;  // guards the three m_signed* fields
  mutable std::mutex m_credLock;  // guards m_credentials
  mutable STRING m_signedAppID;
  mutable STRING m_signedToken;
  mutable STRING m_signedValue;  // empty until the first request
  KVCredentials m_credentials;
  STRING m_serviceName;
  bool m_inFlight = false;
  KVDispatchFn m_dispatch = nullptr;
  std::list<KVServiceArgs*> m_args;     // owning
  std::list<WException*> m_exceptions;  // owning
  HttpDelegator* m_pDelegator = nullptr;
  HttpRequest* m_pCurrent = nullptr;            // not owning
  const KVServiceCMD* m_pCurrentCmd = nullptr;  // its command; compared, never followed
  double m_current = 0.0;
  double m_total = 0.0;
  unsigned long long m_requestID = 0;
  WContentProvider m_provider;
};

}  // namespace W
