// JSON rendering of kvhost's reports.
#include "JsonWriter.h"

#include <W/WStatus.h>

namespace kvhost {

std::string toJsonLine(const Report& report) {
  Json line{{"op", report.op},
            {"status", report.status},
            {"status_name", W::WSTATUS2STRING(static_cast<unsigned>(report.status))}};
  for (const auto& value : report.values.items()) line[value.key()] = value.value();
  if (!report.listName.empty()) {
    Json& list = line[report.listName] = Json::array();
    for (const Item& item : report.items) list.push_back(item.record);
  }
  // The service's texts are not checked for UTF-8; a stray byte must not
  // cost the whole line.
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace kvhost
