// Answer builders shared by all resource handlers.
#include "Routes.h"
#include "XmlWriter.h"

namespace kvsim {

const char kErrBadParameter[] = "105";
const char kErrNotPermitted[] = "203";
const char kErrNoSuchRecord[] = "204";
const char kErrUploadSize[] = "209";

Reply okReply(const std::string& dataXml, const std::string& desc) {
  Reply r;
  r.contentType = kXmlContentType;
  r.body = envelope(true, desc, dataXml);
  return r;
}

Reply failReply(const std::string& desc) {
  Reply r;
  r.contentType = kXmlContentType;
  r.body = envelope(false, desc, "");
  return r;
}

Reply refusedReply(const std::string& code, const std::string& desc, int status) {
  return textReply(status, "Error=" + code + "\nDescription=" + desc + "\n");
}

Reply badPagingReply(const std::string& name) {
  return refusedReply(kErrBadParameter, "bad " + name, 400);
}

Reply textReply(int status, const std::string& text) {
  Reply r;
  r.status = status;
  r.contentType = "text/plain; charset=UTF-8";
  r.body = text;
  return r;
}

}  // namespace kvsim
