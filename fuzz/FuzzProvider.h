// Shared pieces of the plug-in's fuzz targets: one provider for the whole
// run (its parsers keep no per-answer state beyond the session credentials),
// the input as the payload string the completion handlers pass on, and the
// promises every parser keeps whatever the input.
#pragma once

#include <W/WConfigManager.h>
#include <libxml++/document.h>
#include <libxml/tree.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <set>
#include <string>

#include "account/AccountCommands.h"
#include "frame/WKVOAI.h"
#include "service/KVXmlAnswer.h"

namespace kvfuzz {

// The records a list answer may give to the fuzzed provider: small, so that
// inputs of a few KiB reach the cut list too.
constexpr size_t kMaxRecords = 8;

// The provider every input is parsed with; built on first use and kept to
// the end of the process.
inline W::WKVOAI& provider() {
  static W::WKVOAI* oai = [] {
    W::WKVOAI* made = new W::WKVOAI();
    W::WConfigManager::getInstance().setCPOption(made->getContentProvider(), "max_answer_records",
                                                 std::to_string(kMaxRecords));
    return made;
  }();
  return *oai;
}

inline std::string payload(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Stops the run when a parser broke the promise `what`; libFuzzer keeps the
// input as a crash, the seed runner names the seed before it.
inline void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

inline bool oneOf(int status, std::initializer_list<int> documented) {
  for (int s : documented)
    if (status == s) return true;
  return false;
}

// Every text a record could have been read from: the contents of the text
// and CDATA nodes and the values of the attributes of the answer's tree.
inline void collectValues(const xmlNode* node, std::set<std::string>& values) {
  for (; node != nullptr; node = node->next) {
    if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) &&
        node->content != nullptr) {
      values.insert(reinterpret_cast<const char*>(node->content));
    }
    if (node->type != XML_ELEMENT_NODE) continue;
    for (const xmlAttr* a = node->properties; a != nullptr; a = a->next) {
      xmlChar* value = xmlNodeGetContent(reinterpret_cast<const xmlNode*>(a));
      values.insert(value != nullptr ? reinterpret_cast<const char*>(value) : "");
      xmlFree(value);
    }
    collectValues(node->children, values);
  }
}

inline std::set<std::string> documentValues(const std::string& text) {
  std::set<std::string> values;
  W::KVXmlAnswer answer;
  if (answer.parse(text)) collectValues(answer.document()->cobj()->children, values);
  return values;
}

// A record's UID comes from the answer: it is one of its texts, or empty
// where the parser keeps records without one.
inline void requireUidFromInput(const std::string& uid, const std::set<std::string>& values,
                                bool emptyAllowed) {
  require(uid.empty() ? emptyAllowed : values.count(uid) == 1,
          "record UID is a text of the answer");
}

// Runs the list parser for records of type Record over one input: 0, -16,
// or 100 for a list cut at kMaxRecords; on 0 and 100 at most kMaxRecords
// records (exactly that many on 100), whose UIDs the answer holds.
template <class Record>
void parseList(const uint8_t* data, size_t size, bool emptyUidAllowed) {
  W::WContainer<Record> records;
  W::UINT32 count = 0;
  const std::string text = payload(data, size);
  const int status = provider().parseString(text, records, count);
  require(oneOf(status, {0, -16, 100}), "list parser status is 0, -16 or 100");
  if (status < 0) return;
  const size_t held = records.getData().size();
  require(status == 100 ? held == kMaxRecords : held <= kMaxRecords,
          "a list holds at most max_answer_records records, all of them when cut");
  const std::set<std::string> values = documentValues(text);
  for (const Record& record : records.getData()) {
    requireUidFromInput(record.getUID(), values, emptyUidAllowed);
  }
}

// Runs an account answer parser (register, auth, login) with a fresh
// command record of its type, on a session that starts logged out: only a
// documented status, and only an accepted answer may log the session in,
// with the identity the host configured.
template <class Cmd>
void parseAccount(const uint8_t* data, size_t size, W::WSTATUS (W::WKVOAI::*parse)(W::STRING, Cmd*),
                  std::initializer_list<int> documented) {
  W::WKVOAI& oai = provider();
  W::KVService& service = *oai.getService();
  static const bool configured = [&] {
    W::WConfigManager& config = W::WConfigManager::getInstance();
    config.setCPOption(oai.getContentProvider(), "app_id", "fuzz-app");
    config.setCPOption(oai.getContentProvider(), "AuthToken", "fuzz-token");
    config.setCPOption(oai.getContentProvider(), "duid", "fuzz-duid");
    return true;
  }();
  (void)configured;
  service.setUserCredential(nullptr, oai.getContentProvider());
  Cmd cmd(oai.getContentProvider());
  const int status = (oai.*parse)(payload(data, size), &cmd);
  require(oneOf(status, documented), "account parser status is documented");
  const W::KVCredentials now = service.credentials();
  const bool loggedOut = now.appID.empty() && now.authToken.empty() && now.duid.empty();
  const bool configuredIdentity =
      now.appID == "fuzz-app" && now.authToken == "fuzz-token" && now.duid == "fuzz-duid";
  require(loggedOut || (status == 0 && configuredIdentity),
          "only an accepted answer logs in, with the configured identity");
}

}  // namespace kvfuzz
