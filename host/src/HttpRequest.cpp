// HttpRequest: one libcurl easy handle with its headers, body, file target,
// progress and cancel flag; runs synchronously or under HttpDelegator.
#include "HttpRequestImpl.h"

#include "HttpCurlGlobal.h"
#include "HttpDelegatorImpl.h"
#include "HttpStatusMap.h"

#include <sys/socket.h>

#include <new>

namespace W {

namespace {

// Below this many bytes per second for the stall time, a transfer is ended.
constexpr long kStallBytesPerSecond = 1;

long secondsRoundedUp(long ms) {
  return ms <= 0 ? 1 : (ms + 999) / 1000;
}

}  // namespace

HttpRequest::Impl::Impl(HttpRequest* owner_, HTTP_REQUEST_TYPE type_, const std::string& url_,
                        const HttpHeader& header_, const std::string& body_, HttpCallback callback_,
                        void* arg_, const std::string& path_)
    : owner(owner_),
      type(type_),
      url(url_),
      header(header_),
      body(body_),
      callback(callback_),
      arg(arg_),
      path(path_) {
  try {
    for (const auto& entry : header.entries()) {
      const std::string line = entry.first + ": " + entry.second;
      curl_slist* grown = curl_slist_append(headerList, line.c_str());
      if (grown == nullptr) break;
      headerList = grown;
    }
  } catch (...) {
    // No destructor runs for a constructor that throws.
    curl_slist_free_all(headerList);
    throw;
  }
  if (!detail::ensureCurlGlobalInit()) return;
  easy = curl_easy_init();
  if (easy == nullptr) return;

  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);
  curl_easy_setopt(easy, CURLOPT_PRIVATE, owner);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Impl::onWrite);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Impl::onProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &Impl::openSocket);
  if (type == HTTP_POST) {
    // A form attached later replaces this body (see prepare).
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str());
  } else {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  }
}

HttpRequest::Impl::~Impl() {
  if (easy != nullptr) curl_easy_cleanup(easy);
  curl_slist_free_all(headerList);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (form != nullptr) curl_formfree(form);
#pragma GCC diagnostic pop
}

SESSION_STATUS HttpRequest::Impl::prepare(long defaultConnectMs, long defaultStallMs) {
  if (easy == nullptr || header.hasLineBreak()) return SESSION_NOT_STARTED;
  const long connectMs = connectTimeoutMs > 0 ? connectTimeoutMs : defaultConnectMs;
  const long stallMs = stallTimeoutMs > 0 ? stallTimeoutMs : defaultStallMs;
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, kStallBytesPerSecond);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, secondsRoundedUp(stallMs));
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, totalTimeoutMs > 0 ? totalTimeoutMs : 0L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, followRedirects ? 1L : 0L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  if (!caFile.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, caFile.c_str());
  // An announced length over the limit is refused before any byte is read.
  const bool inMemory = path.empty() || type != HTTP_GET;
  const long long limit = inMemory ? maxBodyBytes : maxFileBytes;
  curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limit > 0 ? limit : 0));

  response = HttpResponse();
  fileFailed = false;
  tooLarge = false;
  stoppedAtBody = false;
  {
    std::lock_guard<std::mutex> lock(progressMutex);
    progressDone = 0;
    progressTotal = 0;
  }
  if (type == HTTP_GET && !path.empty() && !sink.open(path, fileMode)) return SESSION_FILE_ERROR;
  if (form != nullptr) {
    // Last, so that it wins over any POSTFIELDS the caller set on the handle.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    curl_easy_setopt(easy, CURLOPT_HTTPPOST, form);
#pragma GCC diagnostic pop
  }
  return SESSION_OK;
}

SESSION_STATUS HttpRequest::Impl::finish(CURLcode code) {
  long httpCode = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &httpCode);
  response.setHttpResponseCode(static_cast<HTTP_RESPONSE_CODE>(httpCode));
  const char* contentType = nullptr;
  if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK &&
      contentType != nullptr) {
    response.setContentType(contentType);
  }

  // Our own stops: a headers-only request that reached the body is done; an
  // answer over the limit ends as too large, not as a write error.
  if (stoppedAtBody) code = CURLE_OK;
  if (tooLarge) code = CURLE_FILESIZE_EXCEEDED;
  SESSION_STATUS status = detail::sessionStatusOf(code, cancelled.load(), fileFailed);
  if (sink.isOpen()) {
    // Only a 200 carries the whole file; every other answer leaves the
    // target as it was.
    if (status == SESSION_OK && httpCode == 200) {
      if (!sink.commit()) status = SESSION_FILE_ERROR;
    } else {
      sink.discard();
    }
  }
  return status;
}

size_t HttpRequest::Impl::onWrite(char* data, size_t size, size_t count, void* userdata) {
  Impl* self = static_cast<Impl*>(userdata);
  const size_t len = size * count;
  if (self->sink.isOpen()) {
    if (self->maxFileBytes > 0 &&
        self->sink.written() + len > static_cast<unsigned long long>(self->maxFileBytes)) {
      self->tooLarge = true;
      return 0;
    }
    if (!self->sink.write(data, len)) {
      self->fileFailed = true;
      return 0;  // ends the transfer with CURLE_WRITE_ERROR
    }
    return len;
  }
  if (self->headersOnly) {
    self->stoppedAtBody = true;
    return 0;  // ends the transfer; finish() counts it as done
  }
  const size_t kept = self->response.getPayload().size();
  if (self->maxBodyBytes > 0 && static_cast<unsigned long long>(kept) + len >
                                    static_cast<unsigned long long>(self->maxBodyBytes)) {
    self->tooLarge = true;
    return 0;
  }
  try {
    self->response.appendPayload(data, len);
  } catch (const std::bad_alloc&) {
    // Nothing may unwind through libcurl: an answer we cannot keep is too large.
    self->tooLarge = true;
    return 0;
  }
  return len;
}

int HttpRequest::Impl::onProgress(void* userdata, curl_off_t dlTotal, curl_off_t dlNow,
                                  curl_off_t ulTotal, curl_off_t ulNow) {
  Impl* self = static_cast<Impl*>(userdata);
  {
    std::lock_guard<std::mutex> lock(self->progressMutex);
    const bool upload = self->type == HTTP_POST;
    self->progressDone = static_cast<double>(upload ? ulNow : dlNow);
    self->progressTotal = static_cast<double>(upload ? ulTotal : dlTotal);
  }
  return self->cancelled.load() ? 1 : 0;  // non-zero aborts the transfer
}

curl_socket_t HttpRequest::Impl::openSocket(void*, curlsocktype, curl_sockaddr* address) {
  // libcurl's own socket() lacks the flag: a process the host starts would
  // keep the connection open.
  return socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

HttpRequest::HttpRequest(HTTP_REQUEST_TYPE type, const std::string& url, const HttpHeader& header,
                         const std::string& body, HttpCallback callback, void* arg)
    : m_impl(new Impl(this, type, url, header, body, callback, arg, std::string())) {}

HttpRequest::HttpRequest(HTTP_REQUEST_TYPE type, const std::string& url, const HttpHeader& header,
                         HttpCallback callback, void* arg, const std::string& path)
    : m_impl(new Impl(this, type, url, header, std::string(), callback, arg, path)) {}

HttpRequest::~HttpRequest() = default;

int HttpRequest::execute() {
  HttpDelegator* executor = HttpDelegator::getInstance();
  const SESSION_STATUS prepared =
      m_impl->prepare(executor->defaultConnectTimeout(), executor->defaultStallTimeout());
  if (prepared != SESSION_OK) return static_cast<int>(prepared);
  const CURLcode code = curl_easy_perform(m_impl->easy);
  return static_cast<int>(m_impl->finish(code));
}

const HttpResponse& HttpRequest::getResponse() const {
  return m_impl->response;
}
const HttpResponse& HttpRequest::response() const {
  return m_impl->response;
}

void HttpRequest::setID(unsigned long long id) {
  m_impl->id = id;
}
unsigned long long HttpRequest::getID() const {
  return m_impl->id;
}

CURL* HttpRequest::getHandle() {
  return m_impl->easy;
}
curl_slist* HttpRequest::getHeaderList() {
  return m_impl->headerList;
}

void HttpRequest::setFormPost(void* form) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (m_impl->form != nullptr) curl_formfree(m_impl->form);
#pragma GCC diagnostic pop
  m_impl->form = static_cast<curl_httppost*>(form);
}

void HttpRequest::getProgressStatus(double& done, double& total) {
  std::lock_guard<std::mutex> lock(m_impl->progressMutex);
  done = m_impl->progressDone;
  total = m_impl->progressTotal;
}

void HttpRequest::setCancel() {
  m_impl->cancelled.store(true);
  HttpDelegator::Impl::wakeWorker();
}

bool HttpRequest::isCancelled() const {
  return m_impl->cancelled.load();
}

void HttpRequest::setConnectTimeout(long ms) {
  m_impl->connectTimeoutMs = ms;
}
void HttpRequest::setStallTimeout(long ms) {
  m_impl->stallTimeoutMs = ms;
}
void HttpRequest::setTotalTimeout(long ms) {
  m_impl->totalTimeoutMs = ms;
}
void HttpRequest::setMaxBodyBytes(long long bytes) {
  m_impl->maxBodyBytes = bytes;
}
void HttpRequest::setMaxFileBytes(long long bytes) {
  m_impl->maxFileBytes = bytes;
}
void HttpRequest::setHeadersOnly(bool headersOnly) {
  m_impl->headersOnly = headersOnly;
}
void HttpRequest::setFollowRedirects(bool follow) {
  m_impl->followRedirects = follow;
}
void HttpRequest::setCAFile(const std::string& path) {
  m_impl->caFile = path;
}
void HttpRequest::setFileMode(unsigned mode) {
  m_impl->fileMode = mode;
}

HTTP_REQUEST_TYPE HttpRequest::getType() const {
  return m_impl->type;
}
const std::string& HttpRequest::getURL() const {
  return m_impl->url;
}
const HttpHeader& HttpRequest::getHeader() const {
  return m_impl->header;
}
const std::string& HttpRequest::getBody() const {
  return m_impl->body;
}
const std::string& HttpRequest::getFilePath() const {
  return m_impl->path;
}
void* HttpRequest::getFormPost() const {
  return m_impl->form;
}
HttpCallback HttpRequest::getCallback() const {
  return m_impl->callback;
}
void* HttpRequest::getArg() const {
  return m_impl->arg;
}

void HttpRequest::setResponse(const HttpResponse& response) {
  m_impl->response = response;
}

void HttpRequest::complete(SESSION_STATUS status) {
  if (m_impl->completed.exchange(true)) return;
  // The callback owns the request from here on and usually deletes it.
  if (m_impl->callback != nullptr) m_impl->callback(status, this, m_impl->arg);
}

}  // namespace W
