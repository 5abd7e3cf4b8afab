// The canned service answers of the plug-in tests: an "ok" envelope with
// its data, and a refusal.
#pragma once

#include <string>

namespace kvtest {

// An "ok" envelope around `data` (the inner XML of "data"; empty: "<data/>").
inline std::string okAnswer(const std::string& data = "") {
  return "<rsp><result><stat>ok</stat><desc>done</desc></result>" +
         (data.empty() ? std::string("<data/>") : "<data>" + data + "</data>") + "</rsp>";
}
inline std::string failAnswer() {
  return "<rsp><result><stat>fail</stat><desc>refused</desc></result></rsp>";
}

}  // namespace kvtest
