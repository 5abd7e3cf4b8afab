// One HTTP transfer: built by the caller, run by HttpDelegator (queued) or by
// execute() (synchronous). Wraps one libcurl easy handle.
#pragma once

#include <W/HttpHeader.h>
#include <W/HttpResponse.h>
#include <W/HttpTypes.h>

#include <memory>
#include <string>

typedef void CURL;
struct curl_slist;

namespace W {

class HttpRequest {
 public:
  // A request whose response body is kept in memory. `body` is sent for a
  // POST (empty for GET). `callback` and `arg` may be null for execute().
  HttpRequest(HTTP_REQUEST_TYPE type, const std::string& url, const HttpHeader& header,
              const std::string& body, HttpCallback callback, void* arg);

  // A request bound to a local file. For a GET the response body is written
  // to `path`: first into a temporary file in the same directory, renamed over
  // `path` only when the transfer completed with code 200, so that a failed
  // transfer never leaves a partial file, an answer without the whole file
  // (204, 206, 304, ...) never replaces one, and a link planted at `path` is
  // never followed. For a POST the file goes out as a multipart form set with
  // setFormPost().
  HttpRequest(HTTP_REQUEST_TYPE type, const std::string& url, const HttpHeader& header,
              HttpCallback callback, void* arg, const std::string& path);

  virtual ~HttpRequest();

  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  // Runs the request to completion on the calling thread. Returns a
  // SESSION_STATUS value (SESSION_OK when a response arrived, whatever its
  // code).
  int execute();
  // The response of execute(); also readable in a completion.
  const HttpResponse& getResponse() const;
  const HttpResponse& response() const;

  // Owner tag: the provider ID in the low 32 bits; flushHttpRequests() drops by it.
  void setID(unsigned long long id);
  unsigned long long getID() const;

  // The libcurl easy handle, for options the caller sets itself.
  CURL* getHandle();
  // The libcurl header list built from the HttpHeader.
  curl_slist* getHeaderList();
  // Attaches a form built with curl_formadd (a curl_httppost*); the request
  // takes ownership and frees it with curl_formfree. Sent as multipart POST.
  void setFormPost(void* form);

  // Bytes done and total so far: downloaded for a GET, uploaded for a form
  // post. Safe to call from any thread while the transfer runs.
  void getProgressStatus(double& done, double& total);
  // Aborts the transfer; a queued request still completes, with
  // SESSION_CANCELLED. Safe to call from any thread.
  void setCancel();
  bool isCancelled() const;

  // Timeouts in milliseconds; 0 keeps the executor's default.
  void setConnectTimeout(long ms);
  // A transfer slower than 1 byte/s for this long is ended (SESSION_TIMED_OUT).
  void setStallTimeout(long ms);
  // The whole transfer, connect included, must end within this time
  // (SESSION_TIMED_OUT). 0, the default: no limit beyond the stall rule.
  void setTotalTimeout(long ms);

  // Limits of what the request reads. The defaults suit a trusted server;
  // a caller facing the network sets them.
  // An answer kept in memory that grows past this many bytes ends the
  // transfer (SESSION_TOO_LARGE); 0, the default: no limit. File targets
  // are not limited by it.
  void setMaxBodyBytes(long long bytes);
  // A file-bound GET whose body grows past this many bytes ends the
  // transfer (SESSION_TOO_LARGE), and its temporary file is removed; an
  // announced length over it is refused before any byte is read. 0, the
  // default: no limit.
  void setMaxFileBytes(long long bytes);
  // Ends the transfer as soon as the final answer's headers are in, without
  // reading its body (code and content type are kept, the payload stays
  // empty). For a caller that only wants the content type.
  void setHeadersOnly(bool headersOnly);
  // Follows up to kMaxRedirects redirects, to http and https only. Off by
  // default: a 3xx is an answer like any other.
  void setFollowRedirects(bool follow);
  static constexpr long kMaxRedirects = 5;
  // A PEM bundle of the certificate authorities to trust instead of the
  // system's store; empty, the default, keeps the system's store.
  void setCAFile(const std::string& path);
  // Permissions of a file written by a file-bound GET (default 0644: the
  // host's players read downloaded media).
  void setFileMode(unsigned mode);

  // What the request was built with (read by the executor and by tests).
  HTTP_REQUEST_TYPE getType() const;
  const std::string& getURL() const;
  const HttpHeader& getHeader() const;
  const std::string& getBody() const;
  const std::string& getFilePath() const;
  void* getFormPost() const;
  HttpCallback getCallback() const;
  void* getArg() const;

  // Used by the executor and by test executors: stores the response and runs
  // the completion callback once (which deletes the request).
  void setResponse(const HttpResponse& response);
  void complete(SESSION_STATUS status);

  struct Impl;
  Impl& impl() { return *m_impl; }

 private:
  std::unique_ptr<Impl> m_impl;
};

}  // namespace W
