// Names for the provider's enumerated options (--sort, --include, --base,
// --item), taken from the interface's enums. Each option also keeps taking
// the provider's numbers: values outside the named ones are legal there and
// select each operation's fallback.
#pragma once

#include <string>
#include <vector>

namespace kvhost {

struct NamedValue {
  const char* name;   // the enum constant's name without its prefix, in lower case
  int value;          // the enum constant
  const char* alias;  // a shorter name, or null
};

struct NameTable {
  const char* valueName;  // how usage lines show the value, e.g. "SORT"
  std::vector<NamedValue> values;
};

extern const NameTable kSortNames;     // KV_OPTION_SORT
extern const NameTable kIncludeNames;  // KV_OPTION_INCLUDE
extern const NameTable kBaseNames;     // KV_SEARCH_BASE
extern const NameTable kItemNames;     // KV_OPTION_ITEM

// Every table, in the order the usage text lists them.
const std::vector<const NameTable*>& nameTables();

// The value of `text` when it is a name or alias in `table` (exact, lower
// case).
bool valueOfName(const NameTable& table, const std::string& text, int& value);

// "alphabetical (0), created_time or created (1), recent_used or recent (2)".
std::string describeNames(const NameTable& table);

}  // namespace kvhost
