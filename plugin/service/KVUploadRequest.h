// The multipart upload of a local file. The plug-in opens the file itself,
// close-on-exec, and libcurl reads it through the request's read callback:
// left to libcurl, the file would be opened by name without that flag, and a
// host that starts a player process would hand the open file to it. The
// request owns the file and closes it when it is destroyed (by the
// completion, or by the executor when the request is dropped).
#pragma once

#include <W/HttpRequest.h>

#include <cstdio>

namespace W {

class KVUploadRequest : public HttpRequest {
 public:
  // A POST of the file `path` to `url`, not yet carrying its form.
  KVUploadRequest(const std::string& url, const HttpHeader& header, HttpCallback callback,
                  void* arg, const std::string& path);
  ~KVUploadRequest() override;

  // Attaches the form: one file part named `partName` with content type
  // `contentType` and the file's base name as its file name. A file that
  // cannot be opened now is named to libcurl instead, which then fails the
  // transfer as it always did. Returns false when the form cannot be built.
  bool attachForm(const std::string& partName, const std::string& contentType);

 private:
  std::FILE* m_file = nullptr;  // owned
  std::string m_fileName;       // the part's file name, kept for the form's life
};

}  // namespace W
