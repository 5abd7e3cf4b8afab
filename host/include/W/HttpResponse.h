// The finished response of a transfer: code, body and content type.
#pragma once

#include <W/HttpTypes.h>

#include <string>

namespace W {

class HttpResponse {
 public:
  HttpResponse() = default;

  HTTP_RESPONSE_CODE getHttpResponseCode() const { return m_code; }
  // The body; empty for a request bound to a file (the body went there).
  const std::string& getPayload() const { return m_payload; }
  // The Content-Type header as the server sent it, or empty.
  const std::string& getContentType() const { return m_contentType; }

  void setHttpResponseCode(HTTP_RESPONSE_CODE code) { m_code = code; }
  void setPayload(std::string payload) { m_payload = std::move(payload); }
  void appendPayload(const char* data, size_t len) { m_payload.append(data, len); }
  void setContentType(std::string type) { m_contentType = std::move(type); }

 private:
  HTTP_RESPONSE_CODE m_code = 0;
  std::string m_payload;
  std::string m_contentType;
};

}  // namespace W
