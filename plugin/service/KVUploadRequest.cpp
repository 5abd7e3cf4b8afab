// The upload request and its one-part form.
#include "service/KVUploadRequest.h"

#include <curl/curl.h>
#include <sys/stat.h>

namespace W {

namespace {

// libcurl's read callback of a streamed form part; `file` is the part's
// stream pointer.
size_t readFilePart(char* buffer, size_t size, size_t count, void* file) {
  return std::fread(buffer, size, count, static_cast<std::FILE*>(file));
}

std::string baseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

KVUploadRequest::KVUploadRequest(const std::string& url, const HttpHeader& header,
                                 HttpCallback callback, void* arg, const std::string& path)
    : HttpRequest(HTTP_POST, url, header, callback, arg, path) {}

KVUploadRequest::~KVUploadRequest() {
  if (m_file != nullptr) std::fclose(m_file);
}

bool KVUploadRequest::attachForm(const std::string& partName, const std::string& contentType) {
  const std::string& path = getFilePath();
  // "e": O_CLOEXEC, so no process the host starts inherits the file.
  if (m_file == nullptr) m_file = std::fopen(path.c_str(), "rbe");
  struct stat st;
  if (m_file != nullptr && fstat(fileno(m_file), &st) != 0) {
    std::fclose(m_file);
    m_file = nullptr;
  }
  curl_httppost* first = nullptr;
  curl_httppost* last = nullptr;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  // The host interface takes a curl_formadd form.
  CURLFORMcode rc;
  if (m_file != nullptr) {
    m_fileName = baseName(path);
    rc = curl_formadd(&first, &last, CURLFORM_COPYNAME, partName.c_str(), CURLFORM_STREAM, m_file,
                      CURLFORM_CONTENTLEN, static_cast<curl_off_t>(st.st_size), CURLFORM_FILENAME,
                      m_fileName.c_str(), CURLFORM_CONTENTTYPE, contentType.c_str(), CURLFORM_END);
  } else {
    rc = curl_formadd(&first, &last, CURLFORM_COPYNAME, partName.c_str(), CURLFORM_FILE,
                      path.c_str(), CURLFORM_CONTENTTYPE, contentType.c_str(), CURLFORM_END);
  }
  if (rc != CURL_FORMADD_OK) {
    curl_formfree(first);
    return false;
  }
#pragma GCC diagnostic pop
  if (m_file != nullptr) curl_easy_setopt(getHandle(), CURLOPT_READFUNCTION, &readFilePart);
  // libcurl sends a request again when the kept connection it went out on
  // turns out dead, and a streamed part cannot start over: an upload always
  // takes a connection of its own.
  curl_easy_setopt(getHandle(), CURLOPT_FRESH_CONNECT, 1L);
  setFormPost(first);
  return true;
}

}  // namespace W
