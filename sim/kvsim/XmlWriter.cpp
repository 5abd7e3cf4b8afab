// Escaping and the answer envelope shared by all resource handlers.
#include "XmlWriter.h"

namespace kvsim {

const char kXmlContentType[] = "text/xml; charset=UTF-8";

std::string xmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

namespace {

void appendAttrs(std::string& out, const XmlAttrs& attrs) {
  for (const auto& a : attrs) {
    out += ' ';
    out += a.first;
    out += "=\"";
    out += xmlEscape(a.second);
    out += '"';
  }
}

}  // namespace

XmlWriter& XmlWriter::open(const std::string& name, const XmlAttrs& attrs) {
  m_out += '<';
  m_out += name;
  appendAttrs(m_out, attrs);
  m_out += '>';
  m_open.push_back(name);
  return *this;
}

XmlWriter& XmlWriter::close() {
  if (m_open.empty()) return *this;
  m_out += "</";
  m_out += m_open.back();
  m_out += '>';
  m_open.pop_back();
  return *this;
}

XmlWriter& XmlWriter::element(const std::string& name, const std::string& text) {
  m_out += '<' + name + '>' + xmlEscape(text) + "</" + name + '>';
  return *this;
}

XmlWriter& XmlWriter::element(const std::string& name, long long number) {
  return element(name, std::to_string(number));
}

XmlWriter& XmlWriter::element(const std::string& name, const XmlAttrs& attrs,
                              const std::string& text) {
  open(name, attrs);
  m_out += xmlEscape(text);
  return close();
}

XmlWriter& XmlWriter::empty(const std::string& name, const XmlAttrs& attrs) {
  m_out += '<';
  m_out += name;
  appendAttrs(m_out, attrs);
  m_out += "/>";
  return *this;
}

std::string envelope(bool ok, const std::string& desc, const std::string& dataXml, bool withData) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rsp><result><stat>";
  out += ok ? "ok" : "fail";
  out += "</stat><desc>" + xmlEscape(desc) + "</desc></result>";
  if (withData) out += "<data>" + dataXml + "</data>";
  out += "</rsp>";
  return out;
}

}  // namespace kvsim
