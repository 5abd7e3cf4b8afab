// Shared pieces of the plug-in's fuzz targets: one provider for the whole
// run (its parsers keep no per-answer state beyond the session credentials)
// and the input as the payload string the completion handlers pass on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "account/AccountCommands.h"
#include "frame/WKVOAI.h"

namespace kvfuzz {

// The provider every input is parsed with; built on first use and kept to
// the end of the process.
inline W::WKVOAI& provider() {
  static W::WKVOAI* oai = new W::WKVOAI();
  return *oai;
}

inline std::string payload(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Stops the run when a parser broke one of its promises; libFuzzer keeps the
// input as a crash.
inline void require(bool holds) {
  if (!holds) __builtin_trap();
}

// The statuses a body parser may give: success, 100 for a longer list, or a
// failure the caller's callback can hand on.
inline bool isParserStatus(int status) {
  return status == 0 || status == 100 || (status < 0 && status >= -1000);
}

// Runs the list parser for records of type Record over one input.
template <class Record>
void parseList(const uint8_t* data, size_t size) {
  W::WContainer<Record> records;
  W::UINT32 count = 0;
  require(isParserStatus(provider().parseString(payload(data, size), records, count)));
}

// Runs an account answer parser (register, auth, login) with a fresh
// command record of its type.
template <class Cmd>
void parseAccount(const uint8_t* data, size_t size,
                  W::WSTATUS (W::WKVOAI::*parse)(W::STRING, Cmd*)) {
  W::WKVOAI& oai = provider();
  Cmd cmd(oai.getContentProvider());
  require(isParserStatus((oai.*parse)(payload(data, size), &cmd)));
}

}  // namespace kvfuzz
