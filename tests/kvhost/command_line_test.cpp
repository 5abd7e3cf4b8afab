// kvhost's command line: what is accepted, and every kind of usage error.
#include <gtest/gtest.h>

#include <vector>

#include "CommandLine.h"
#include "CommandTable.h"

namespace kvhost {
namespace {

bool parse(std::vector<const char*> args, Invocation& inv, std::string& error) {
  args.insert(args.begin(), "kvhost");
  return parseCommandLine(static_cast<int>(args.size()), args.data(), inv, error);
}

TEST(CommandLine, RefusesBadInvocationsWithAReason) {
  const struct {
    std::vector<const char*> args;
    const char* reason;  // a part of the message
  } cases[] = {
      {{}, "missing command"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"--verbose", "auth"}, "unknown option --verbose"},
      {{"auth", "--count", "3"}, "unknown option --count for auth"},
      {{"--count", "3", "groups"}, "unknown option --count"},
      {{"-x", "auth"}, "unknown option -x"},
      {{"view"}, "missing argument; usage: kvhost view UID"},
      {{"view", "c1", "c2"}, "unexpected argument 'c2'"},
      {{"groups", "--count"}, "--count needs a value"},
      {{"groups", "--count", "ten"}, "--count needs a decimal number, not 'ten'"},
      {{"groups", "--index", "-1"}, "--index needs a decimal number"},
      {{"groups", "--count", "4294967296"}, "--count needs a decimal number"},
      {{"groups", "--count=1x"}, "--count needs a decimal number"},
      {{"feed", "g1"}, "feed needs exactly one of --before or --after"},
      {{"feed", "g1", "--before", "5", "--after", "2"}, "exactly one of"},
      {{"--timeout", "0", "auth"}, "--timeout needs a number of seconds"},
      {{"--timeout", "soon", "auth"}, "--timeout needs"},
      {{"--cancel-after", "1.5", "auth"}, "--cancel-after needs"},
      {{"--json=yes", "auth"}, "--json takes no value"},
      {{"upload", "g1"}, "usage: kvhost upload GROUP_UID FILE [--mime TYPE] [--desc TEXT]"},
      {{"groups", "--sort", "newest"},
       "--sort takes alphabetical (0), created_time or created (1), recent_used or recent (2), "
       "or a decimal number; not 'newest'"},
      {{"feed", "g1", "--after", "0", "--item", "Photo"}, "--item takes all (0), photo (1)"},
      {{"feed", "g1", "--after", "0", "--base", "-1"}, "not '-1'"},
  };
  for (const auto& c : cases) {
    Invocation inv;
    std::string error;
    EXPECT_FALSE(parse(c.args, inv, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << "got: " << error;
  }
}

// Without global options: 30 s for each answer, as --help says, no cancel,
// table output, the plug-in beside the executable.
TEST(CommandLine, GlobalDefaultsAreTheDocumentedOnes) {
  Invocation inv;
  std::string error;
  ASSERT_TRUE(parse({"groups"}, inv, error)) << error;
  EXPECT_EQ(inv.timeoutSec, 30) << "default of --timeout";
  EXPECT_NE(usageText().find("(default 30)"), std::string::npos);
  EXPECT_EQ(inv.cancelAfterMs, -1);
  EXPECT_FALSE(inv.json);
  EXPECT_TRUE(inv.pluginPath.empty());
}

TEST(CommandLine, GlobalOptionsGoAnywhereCommandOptionsAfterTheCommand) {
  Invocation inv;
  std::string error;
  ASSERT_TRUE(parse({"--json", "feed", "g1", "--after=17", "--count", "5", "--base-url",
                     "http://127.0.0.1:9", "--timeout", "4", "--cancel-after", "250"},
                    inv, error))
      << error;
  ASSERT_NE(inv.command, nullptr);
  EXPECT_STREQ(inv.command->name, "feed");
  EXPECT_EQ(inv.args, std::vector<std::string>{"g1"});
  EXPECT_EQ(inv.text("after"), "17");
  EXPECT_FALSE(inv.has("before"));
  EXPECT_EQ(inv.number("count"), 5u);
  EXPECT_EQ(inv.number("base", 7), 7u);
  EXPECT_EQ(inv.baseUrl.value_or(""), "http://127.0.0.1:9");
  EXPECT_FALSE(inv.appId.has_value());
  EXPECT_EQ(inv.timeoutSec, 4);
  EXPECT_EQ(inv.cancelAfterMs, 250);
  EXPECT_TRUE(inv.json);
}

TEST(CommandLine, EnumeratedOptionsTakeNamesOrNumbers) {
  const struct {
    std::vector<const char*> args;
    const char* option;
    unsigned long value;
  } cases[] = {
      {{"groups", "--sort", "alphabetical"}, "sort", 0},
      {{"groups", "--sort", "created"}, "sort", 1},
      {{"groups", "--sort=created_time"}, "sort", 1},
      {{"groups", "--sort", "recent"}, "sort", 2},
      {{"groups", "--sort", "recent_used"}, "sort", 2},
      {{"groups", "--sort", "7"}, "sort", 7},
      {{"groups", "--include", "none"}, "include", 0},
      {{"groups", "--include", "usage"}, "include", 1},
      {{"groups", "--include", "member"}, "include", 2},
      {{"groups", "--include", "creator"}, "include", 3},
      {{"feed", "g1", "--after", "0", "--include", "new"}, "include", 4},
      {{"feed", "g1", "--after", "0", "--include", "all"}, "include", 5},
      {{"feed", "g1", "--after", "0", "--base", "created"}, "base", 0},
      {{"feed", "g1", "--after", "0", "--base", "created_time"}, "base", 0},
      {{"feed", "g1", "--after", "0", "--base", "upload_time"}, "base", 1},
      {{"feed", "g1", "--after", "0", "--base", "upload"}, "base", 1},
      {{"feed", "g1", "--after", "0", "--base", "content_id"}, "base", 2},
      {{"feed", "g1", "--after", "0", "--item", "all"}, "item", 0},
      {{"feed", "g1", "--after", "0", "--item", "photo"}, "item", 1},
      {{"feed", "g1", "--after", "0", "--item", "video"}, "item", 2},
      {{"feed", "g1", "--after", "0", "--item", "music"}, "item", 3},
      {{"feed", "g1", "--after", "0", "--item", "3"}, "item", 3},
  };
  for (const auto& c : cases) {
    Invocation inv;
    std::string error;
    ASSERT_TRUE(parse(c.args, inv, error)) << error;
    EXPECT_EQ(inv.number(c.option, 99), c.value) << c.args.back();
  }
}

TEST(CommandLine, DoubleDashLetsTextStartWithADash) {
  Invocation inv;
  std::string error;
  ASSERT_TRUE(parse({"comment", "--", "c1", "-- me too"}, inv, error)) << error;
  EXPECT_EQ(inv.args, (std::vector<std::string>{"c1", "-- me too"}));
}

TEST(CommandLine, EmptyProviderValueIsKeptAsGiven) {
  Invocation inv;
  std::string error;
  ASSERT_TRUE(parse({"--auth-token", "", "auth"}, inv, error)) << error;
  ASSERT_TRUE(inv.authToken.has_value());
  EXPECT_EQ(*inv.authToken, "");
}

TEST(CommandLine, HelpAndVersionNeedNoCommand) {
  Invocation inv;
  std::string error;
  EXPECT_TRUE(parse({"--help"}, inv, error));
  EXPECT_TRUE(inv.help);
  Invocation shortForm;
  EXPECT_TRUE(parse({"-h"}, shortForm, error));
  EXPECT_TRUE(shortForm.help);
  Invocation version;
  EXPECT_TRUE(parse({"--version"}, version, error)) << error;
  EXPECT_TRUE(version.version);
  EXPECT_FALSE(version.help);
  Invocation valued;
  EXPECT_FALSE(parse({"--version=2"}, valued, error));
  EXPECT_EQ(error, "--version takes no value");
}

TEST(CommandLine, NumbersAreDecimalWithinTheirLimit) {
  const struct {
    const char* text;
    unsigned long max;
    bool ok;
    unsigned long value;
  } cases[] = {
      {"0", 10, true, 0},
      {"10", 10, true, 10},
      {"11", 10, false, 0},
      {"", 10, false, 0},
      {"+1", 10, false, 0},
      {" 1", 10, false, 0},
      {"0x1", 10, false, 0},
      {"4294967295", 0xFFFFFFFFul, true, 4294967295ul},
      {"99999999999", 0xFFFFFFFFul, false, 0},
  };
  for (const auto& c : cases) {
    unsigned long value = 12345;
    EXPECT_EQ(parseNumber(c.text, c.max, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(CommandTable, UsageListsEveryCommand) {
  const std::string usage = usageText();
  for (const CommandDef& def : commandTable())
    EXPECT_NE(usage.find(std::string("  ") + synopsis(def) + "\n"), std::string::npos) << def.name;
  for (const char* part :
       {"feed GROUP_UID (--before POS | --after POS) [--count N] [--base BASE] [--item ITEM]",
        "  SORT     alphabetical (0), created_time or created (1), recent_used or recent (2)\n",
        "  INCLUDE  none (0), usage (1), member (2), creator (3), new (4), all (5)\n",
        "  BASE     created_time or created (0), upload_time or upload (1), content_id (2)\n",
        "  ITEM     all (0), photo (1), video (2), music (3)\n"})
    EXPECT_NE(usage.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace kvhost
