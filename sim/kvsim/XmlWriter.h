// Builds the XML text of kvsim's answers: escaping, nested elements and the
// service's "rsp" envelope that every answer is wrapped in.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kvsim {

// Escapes &, <, >, " and ' for use in text and attribute values.
std::string xmlEscape(const std::string& text);

using XmlAttrs = std::vector<std::pair<std::string, std::string>>;

// Appends elements to a string; open() and close() must pair up.
class XmlWriter {
 public:
  // Starts <name a="v" ...>.
  XmlWriter& open(const std::string& name, const XmlAttrs& attrs = {});
  // Ends the innermost open element.
  XmlWriter& close();
  // Writes <name>text</name> (text escaped).
  XmlWriter& element(const std::string& name, const std::string& text);
  XmlWriter& element(const std::string& name, long long number);
  // Writes <name a="v" ...>text</name>.
  XmlWriter& element(const std::string& name, const XmlAttrs& attrs, const std::string& text);
  // Writes <name a="v" .../> with the attributes escaped.
  XmlWriter& empty(const std::string& name, const XmlAttrs& attrs);
  // The text written so far; all elements must be closed.
  const std::string& str() const { return m_out; }

 private:
  std::string m_out;
  std::vector<std::string> m_open;
};

// The whole answer document: the "result" with "stat" ("ok" or "fail") and
// "desc", then "data" holding `dataXml` when `withData` is set.
std::string envelope(bool ok, const std::string& desc, const std::string& dataXml,
                     bool withData = true);

// Content-Type of every XML answer.
extern const char kXmlContentType[];

}  // namespace kvsim
