// kvhost's command table and usage text.
#include "CommandTable.h"

#include <utility>

#include "Commands.h"
#include "KvBuildInfo.h"
#include "OptionNames.h"

namespace kvhost {

namespace {

// One row of the table, built by name so that each command reads as what it
// takes, what it does and which options it has. A command authenticates
// first unless it says otherwise.
class Command {
 public:
  Command(const char* name, Outcome (*run)(Context& context)) {
    m_def.name = name;
    m_def.arguments = "";
    m_def.authenticates = true;
    m_def.run = run;
  }

  // Positional arguments: their synopsis and how many there may be.
  Command& arguments(const char* synopsis, size_t minArgs, size_t maxArgs) {
    m_def.arguments = synopsis;
    m_def.minArgs = minArgs;
    m_def.maxArgs = maxArgs;
    return *this;
  }
  Command& arguments(const char* synopsis, size_t count) {
    return arguments(synopsis, count, count);
  }
  Command& summary(const char* text) {
    m_def.summary = text;
    return *this;
  }
  Command& textOption(const char* name, const char* valueName) {
    m_def.options.push_back(OptionSpec{name, valueName, false});
    return *this;
  }
  Command& numberOption(const char* name, const char* valueName) {
    m_def.options.push_back(OptionSpec{name, valueName, true});
    return *this;
  }
  // An enumerated option: a name from `table`, or a number.
  Command& namedOption(const char* name, const NameTable& table) {
    m_def.options.push_back(OptionSpec{name, table.valueName, true, &table});
    return *this;
  }
  Command& exactlyOne(std::vector<std::string> optionNames) {
    m_def.exactlyOne = std::move(optionNames);
    return *this;
  }
  // Runs without authKV first (the account commands themselves).
  Command& withoutLogin() {
    m_def.authenticates = false;
    return *this;
  }

  operator CommandDef() const { return m_def; }

 private:
  CommandDef m_def{};
};

}  // namespace

const std::vector<CommandDef>& commandTable() {
  static const std::vector<CommandDef> kTable = {
      Command("register", &runRegister)
          .summary("announce the device to the service (registerKV)")
          .withoutLogin(),
      Command("auth", &runAuth).summary("authenticate the device (authKV)").withoutLogin(),
      Command("groups", &runGroups)
          .summary("list a person's groups (retrieveGroupList)")
          .textOption("person", "UID")
          .numberOption("index", "N")
          .numberOption("count", "N")
          .namedOption("sort", kSortNames)
          .namedOption("include", kIncludeNames),
      Command("group-create", &runGroupCreate)
          .arguments("NAME", 1)
          .summary("create a group (createGroup)")
          .textOption("desc", "TEXT"),
      Command("group-delete", &runGroupDelete)
          .arguments("UID", 1)
          .summary("delete a group (deleteGroup)"),
      Command("feed", &runFeed)
          .arguments("GROUP_UID", 1)
          .summary("read one page of a group's feed (retrieveGroupFeeds)")
          .textOption("before", "POS")
          .textOption("after", "POS")
          .numberOption("count", "N")
          .namedOption("base", kBaseNames)
          .namedOption("item", kItemNames)
          .namedOption("include", kIncludeNames)
          .exactlyOne({"before", "after"}),
      Command("upload", &runUpload)
          .arguments("GROUP_UID FILE", 2)
          .summary("upload a photo (createContent); MIME type from the extension unless --mime")
          .textOption("mime", "TYPE")
          .textOption("desc", "TEXT"),
      Command("view", &runView).arguments("UID", 1).summary("read a content (viewContent)"),
      Command("delete", &runDelete).arguments("UID", 1).summary("delete a content (deleteContent)"),
      Command("comments", &runComments)
          .arguments("CONTENT_UID", 1)
          .summary("list a content's comments (retrieveComments)")
          .numberOption("index", "N")
          .numberOption("count", "N"),
      Command("comment", &runComment)
          .arguments("CONTENT_UID TEXT", 2)
          .summary("comment on a content (createComment)"),
      Command("comment-view", &runCommentView)
          .arguments("UID", 1)
          .summary("read a comment (viewComment)"),
      Command("comment-delete", &runCommentDelete)
          .arguments("UID", 1)
          .summary("delete a comment (deleteComment)"),
      Command("download", &runDownload)
          .arguments("URL DIR [NAME]", 2, 3)
          .summary("store a media file in DIR (download)"),
      Command("fetch", &runFetch)
          .arguments("URL", 1)
          .summary("fetch a media file through the content downloader into /tmp")
          .textOption("out", "FILE"),
      Command("mime", &runMime)
          .arguments("URL", 1)
          .summary("print a URL's Content-Type: a plain GET through the host's HTTP layer\n"
                   "      (the plug-in has no public MIME probe)"),
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
      "  --plugin PATH       plug-in to load (default: libkinvale-oai.so in the plug-in\n"
      "                      directory, " KV_PLUGIN_DIR_FROM_BIN
      ",\n"
      "                      taken from kvhost's own directory when relative; in a build\n"
      "                      tree, ../lib beside kvhost)\n"
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
      "  --version           print kvhost's version and exit\n"
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
