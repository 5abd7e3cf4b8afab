// The name tables of the enumerated options.
#include "OptionNames.h"

#include "frame/KVTypes.h"

namespace kvhost {

const NameTable kSortNames = {"SORT",
                              {{"alphabetical", W::KV_SORT_ALPHABETICAL, nullptr},
                               {"created_time", W::KV_SORT_CREATED_TIME, "created"},
                               {"recent_used", W::KV_SORT_RECENT_USED, "recent"}}};

const NameTable kIncludeNames = {"INCLUDE",
                                 {{"none", W::KV_INCLUDE_NONE, nullptr},
                                  {"usage", W::KV_INCLUDE_USAGE, nullptr},
                                  {"member", W::KV_INCLUDE_MEMBER, nullptr},
                                  {"creator", W::KV_INCLUDE_CREATOR, nullptr},
                                  {"new", W::KV_INCLUDE_NEW, nullptr},
                                  {"all", W::KV_INCLUDE_ALL, nullptr}}};

const NameTable kBaseNames = {"BASE",
                              {{"created_time", W::KV_BASE_CREATED_TIME, "created"},
                               {"upload_time", W::KV_BASE_UPLOAD_TIME, "upload"},
                               {"content_id", W::KV_BASE_CONTENT_ID, nullptr}}};

const NameTable kItemNames = {"ITEM",
                              {{"all", W::KV_ITEM_ALL, nullptr},
                               {"photo", W::KV_ITEM_PHOTO, nullptr},
                               {"video", W::KV_ITEM_VIDEO, nullptr},
                               {"music", W::KV_ITEM_MUSIC, nullptr}}};

const std::vector<const NameTable*>& nameTables() {
  static const std::vector<const NameTable*> kTables = {&kSortNames, &kIncludeNames, &kBaseNames,
                                                        &kItemNames};
  return kTables;
}

bool valueOfName(const NameTable& table, const std::string& text, int& value) {
  for (const NamedValue& v : table.values) {
    if (text == v.name || (v.alias != nullptr && text == v.alias)) {
      value = v.value;
      return true;
    }
  }
  return false;
}

std::string describeNames(const NameTable& table) {
  std::string text;
  for (const NamedValue& v : table.values) {
    if (!text.empty()) text += ", ";
    text += v.name;
    if (v.alias != nullptr) text += std::string(" or ") + v.alias;
    text += " (" + std::to_string(v.value) + ")";
  }
  return text;
}

}  // namespace kvhost
