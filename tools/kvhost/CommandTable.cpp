// kvhost's command table and usage text.
#include "CommandTable.h"

#include "Commands.h"
#include "OptionNames.h"

namespace kvhost {

namespace {

OptionSpec named(const char* name, const NameTable& table) {
  return OptionSpec{name, table.valueName, true, &table};
}

}  // namespace

const std::vector<CommandDef>& commandTable() {
  static const std::vector<CommandDef> kTable = {
      {"register",
       "",
       "announce the device to the service (registerKV)",
       0,
       0,
       {},
       {},
       false,
       &runRegister},
      {"auth", "", "authenticate the device (authKV)", 0, 0, {}, {}, false, &runAuth},
      {"groups",
       "",
       "list a person's groups (retrieveGroupList)",
       0,
       0,
       {{"person", "UID", false},
        {"index", "N", true},
        {"count", "N", true},
        named("sort", kSortNames),
        named("include", kIncludeNames)},
       {},
       true,
       &runGroups},
      {"group-create",
       "NAME",
       "create a group (createGroup)",
       1,
       1,
       {{"desc", "TEXT", false}},
       {},
       true,
       &runGroupCreate},
      {"group-delete", "UID", "delete a group (deleteGroup)", 1, 1, {}, {}, true, &runGroupDelete},
      {"feed",
       "GROUP_UID",
       "read one page of a group's feed (retrieveGroupFeeds)",
       1,
       1,
       {{"before", "POS", false},
        {"after", "POS", false},
        {"count", "N", true},
        named("base", kBaseNames),
        named("item", kItemNames),
        named("include", kIncludeNames)},
       {"before", "after"},
       true,
       &runFeed},
      {"upload",
       "GROUP_UID FILE",
       "upload a photo (createContent); MIME type from the extension unless --mime",
       2,
       2,
       {{"mime", "TYPE", false}, {"desc", "TEXT", false}},
       {},
       true,
       &runUpload},
      {"view", "UID", "read a content (viewContent)", 1, 1, {}, {}, true, &runView},
      {"delete", "UID", "delete a content (deleteContent)", 1, 1, {}, {}, true, &runDelete},
      {"comments",
       "CONTENT_UID",
       "list a content's comments (retrieveComments)",
       1,
       1,
       {{"index", "N", true}, {"count", "N", true}},
       {},
       true,
       &runComments},
      {"comment",
       "CONTENT_UID TEXT",
       "comment on a content (createComment)",
       2,
       2,
       {},
       {},
       true,
       &runComment},
      {"comment-view", "UID", "read a comment (viewComment)", 1, 1, {}, {}, true, &runCommentView},
      {"comment-delete",
       "UID",
       "delete a comment (deleteComment)",
       1,
       1,
       {},
       {},
       true,
       &runCommentDelete},
      {"download",
       "URL DIR [NAME]",
       "store a media file in DIR (download)",
       2,
       3,
       {},
       {},
       true,
       &runDownload},
      {"fetch",
       "URL",
       "fetch a media file through the content downloader into /tmp",
       1,
       1,
       {{"out", "FILE", false}},
       {},
       true,
       &runFetch},
      {"mime",
       "URL",
       "print a URL's Content-Type: a plain GET through the host's HTTP layer\n"
       "      (the plug-in has no public MIME probe)",
       1,
       1,
       {},
       {},
       true,
       &runMime},
  };
  return kTable;
}

const CommandDef* findCommand(const std::string& name) {
  for (const CommandDef& def : commandTable())
    if (name == def.name) return &def;
  return nullptr;
}

const OptionSpec* findOption(const CommandDef& command, const std::string& name) {
  for (const OptionSpec& option : command.options)
    if (name == option.name) return &option;
  return nullptr;
}

std::string synopsis(const CommandDef& command) {
  std::string text = command.name;
  if (*command.arguments != '\0') text += std::string(" ") + command.arguments;
  const bool choice = !command.exactlyOne.empty();
  if (choice) text += " (";
  bool firstChoice = true;
  for (const OptionSpec& option : command.options) {
    const std::string one = std::string("--") + option.name + " " + option.valueName;
    bool inChoice = false;
    for (const std::string& name : command.exactlyOne) inChoice = inChoice || name == option.name;
    if (inChoice) {
      text += (firstChoice ? "" : " | ") + one;
      firstChoice = false;
    }
  }
  if (choice) text += ")";
  for (const OptionSpec& option : command.options) {
    bool inChoice = false;
    for (const std::string& name : command.exactlyOne) inChoice = inChoice || name == option.name;
    if (!inChoice) text += std::string(" [--") + option.name + " " + option.valueName + "]";
  }
  return text;
}

std::string usageText() {
  std::string text =
      "usage: kvhost [options] COMMAND [ARGUMENTS] [command options]\n"
      "\n"
      "Loads the Kinvale plug-in with dlopen and runs one of its operations against the\n"
      "service, the way the television's media framework does.\n"
      "\n"
      "Options:\n"
      "  --plugin PATH       plug-in to load (default: ../lib/libkinvale-oai.so beside kvhost)\n"
      "  --config FILE       provider options, key=value lines, every key passed to the plug-in:\n"
      "                      base_url, app_id, AuthToken, duid, ca_file, max_answer_bytes,\n"
      "                      request_timeout, ...\n"
      "  --base-url URL      service base URL (option base_url; overrides --config)\n"
      "  --app-id ID         application ID (option app_id)\n"
      "  --auth-token TOKEN  the owner's user token (option AuthToken)\n"
      "  --duid DUID         device unique ID (option duid)\n"
      "  --timeout SEC       wait at most SEC seconds for each answer (default 30)\n"
      "  --cancel-after MS   cancel the command's operation after MS milliseconds and report\n"
      "                      the cancel callback\n"
      "  --json              print one JSON object per completed callback: op, status,\n"
      "                      status_name, values and the whole records\n"
      "  --progress          draw the transfer progress bar even when standard error is not\n"
      "                      a terminal\n"
      "  -h, --help          show this text\n"
      "\n"
      "Commands (every command except register and auth authenticates first):\n";
  for (const CommandDef& def : commandTable()) {
    text += "  " + synopsis(def) + "\n";
    text += std::string("      ") + def.summary + "\n";
  }
  text += "\nValues of the enumerated options, by name or by the provider's number:\n";
  for (const NameTable* table : nameTables()) {
    std::string name = table->valueName;
    name.resize(9, ' ');
    text += "  " + name + describeNames(*table) + "\n";
  }
  text +=
      "\n"
      "Numbers (N) are decimal. Without --count the provider asks for the service's page\n"
      "sizes, 10 groups or 30 feed items; a page with more items than asked for ends with\n"
      "status 100.\n"
      "\n"
      "Exit status: 0 when the final status is 0 or 100, 1 for any other status or a\n"
      "failure (no answer within --timeout included), 2 for a usage error.\n";
  return text;
}

}  // namespace kvhost
