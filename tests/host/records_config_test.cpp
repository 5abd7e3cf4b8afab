// Provider options: lookups of missing keys, per-provider separation, and
// loading key=value files all-or-nothing.
#include <W/WConfigManager.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TestFiles.h"

namespace {

// Each test uses its own provider, so the process-wide manager starts empty
// for it whatever ran before; the options are cleared again afterwards.
class ConfigOptions : public ::testing::Test {
 protected:
  ConfigOptions()
      : m_provider(
            std::string("cfg-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(),
            12),
        m_config(W::WConfigManager::getInstance()) {}

  ~ConfigOptions() override { m_config.clearCPOptions(m_provider); }

  std::string writeFile(const std::string& content) {
    return m_dir.write("options" + std::to_string(m_written++) + ".conf", content);
  }

  std::string option(const std::string& key) const {
    return m_config.getCPOption(m_provider, key).toString();
  }

  const W::WContentProvider m_provider;
  W::WConfigManager& m_config;
  kvtest::TempDir m_dir{"kv-config"};
  int m_written = 0;
};

TEST_F(ConfigOptions, MissingKeyGivesNullEmptyVariant) {
  const W::WVariant value = m_config.getCPOption(m_provider, "app_id");
  EXPECT_TRUE(value.isNull());
  EXPECT_EQ(value.toString(), "");
}

TEST_F(ConfigOptions, SetValueIsReadBackAndEmptyValueIsNotNull) {
  m_config.setCPOption(m_provider, "app_id", "abc123");
  m_config.setCPOption(m_provider, "duid", "");
  EXPECT_EQ(option("app_id"), "abc123");
  EXPECT_FALSE(m_config.getCPOption(m_provider, "duid").isNull());
  m_config.setCPOption(m_provider, "app_id", "xyz");
  EXPECT_EQ(option("app_id"), "xyz");
  EXPECT_TRUE(m_config.getCPOption(m_provider, "APP_ID").isNull());  // keys are case-sensitive
  // One manager for the process: a second getInstance() sees the same options.
  EXPECT_EQ(W::WConfigManager::getInstance().getCPOption(m_provider, "app_id").toString(), "xyz");
}

TEST_F(ConfigOptions, ProvidersDoNotSeeEachOthersOptions) {
  const W::WContentProvider sibling(m_provider.getName(), 13);
  m_config.setCPOption(m_provider, "AuthToken", "mine");
  EXPECT_TRUE(m_config.getCPOption(sibling, "AuthToken").isNull());
  m_config.setCPOption(sibling, "AuthToken", "theirs");
  m_config.clearCPOptions(m_provider);
  EXPECT_TRUE(m_config.getCPOption(m_provider, "AuthToken").isNull());
  EXPECT_EQ(m_config.getCPOption(sibling, "AuthToken").toString(), "theirs");
  m_config.clearCPOptions(sibling);
}

TEST_F(ConfigOptions, RemoveDropsOnlyThatKey) {
  m_config.setCPOption(m_provider, "app_id", "a");
  m_config.setCPOption(m_provider, "duid", "d");
  m_config.removeCPOption(m_provider, "app_id");
  m_config.removeCPOption(m_provider, "never-set");
  EXPECT_TRUE(m_config.getCPOption(m_provider, "app_id").isNull());
  EXPECT_EQ(option("duid"), "d");
}

TEST_F(ConfigOptions, LoadReadsKeyValueLinesSkippingCommentsAndBlanks) {
  const std::string path = writeFile(
      "# identifiers of this device\n"
      "\n"
      "app_id=abc123\n"
      "   \t\n"
      "  AuthToken   =   tok en  \n"
      "\t# indented comment\n"
      "duid=\r\n"
      "url=http://127.0.0.1:8080/a=b\n"
      "last=no newline");
  ASSERT_EQ(m_config.loadCPOptions(m_provider, path), 0);
  EXPECT_EQ(option("app_id"), "abc123");
  EXPECT_EQ(option("AuthToken"), "tok en");
  EXPECT_FALSE(m_config.getCPOption(m_provider, "duid").isNull());
  EXPECT_EQ(option("duid"), "");
  EXPECT_EQ(option("url"), "http://127.0.0.1:8080/a=b");  // split at the first '='
  EXPECT_EQ(option("last"), "no newline");
  EXPECT_TRUE(m_config.getCPOption(m_provider, "# identifiers of this device").isNull());
}

TEST_F(ConfigOptions, LoadKeepsOptionsTheFileDoesNotName) {
  m_config.setCPOption(m_provider, "duid", "old-duid");
  m_config.setCPOption(m_provider, "app_id", "old-app");
  ASSERT_EQ(m_config.loadCPOptions(m_provider, writeFile("app_id=new-app\n")), 0);
  EXPECT_EQ(option("app_id"), "new-app");
  EXPECT_EQ(option("duid"), "old-duid");
}

TEST_F(ConfigOptions, MalformedFileChangesNothing) {
  const char* kBad[] = {
      "app_id=new\nthis line has no equals sign\nduid=new\n",
      "app_id=new\n = value without key\n",
      "app_id=new\nduid=new\nlast line without separator",
  };
  for (const char* content : kBad) {
    SCOPED_TRACE(content);
    m_config.clearCPOptions(m_provider);
    m_config.setCPOption(m_provider, "app_id", "old");
    EXPECT_EQ(m_config.loadCPOptions(m_provider, writeFile(content)), -1);
    EXPECT_EQ(option("app_id"), "old");
    EXPECT_TRUE(m_config.getCPOption(m_provider, "duid").isNull());
  }
}

TEST_F(ConfigOptions, UnreadablePathReturnsMinusOne) {
  m_config.setCPOption(m_provider, "app_id", "old");
  EXPECT_EQ(m_config.loadCPOptions(m_provider, m_dir.file("no-such-file.conf")), -1);
  EXPECT_EQ(m_config.loadCPOptions(m_provider, ""), -1);
  EXPECT_EQ(m_config.loadCPOptions(m_provider, m_dir.path()), -1);  // a directory
  EXPECT_EQ(option("app_id"), "old");
}

TEST_F(ConfigOptions, EmptyFileLoadsNothingAndSucceeds) {
  EXPECT_EQ(m_config.loadCPOptions(m_provider, writeFile("")), 0);
  EXPECT_EQ(m_config.loadCPOptions(m_provider, writeFile("# only a comment\n\n")), 0);
  EXPECT_TRUE(m_config.getCPOption(m_provider, "app_id").isNull());
}

TEST_F(ConfigOptions, ConcurrentReadersAndWritersSeeWholeValues) {
  // The plug-in reads its options on host threads while the host may change
  // them; a reader sees either the old or the new value, never a torn one.
  const std::string a(64, 'a'), b(64, 'b');
  m_config.setCPOption(m_provider, "AuthToken", a);
  std::atomic<int> torn{0};
  std::vector<std::thread> threads;
  threads.emplace_back([&] {
    for (int i = 0; i < 3000; ++i) m_config.setCPOption(m_provider, "AuthToken", i % 2 ? a : b);
  });
  threads.emplace_back([&] {
    for (int i = 0; i < 3000; ++i) {
      const W::WContentProvider other("cfg-other", i % 7);
      m_config.setCPOption(other, "k", "v");
      m_config.clearCPOptions(other);
    }
  });
  for (int r = 0; r < 2; ++r) {
    threads.emplace_back([&] {
      for (int i = 0; i < 3000; ++i) {
        const std::string value = option("AuthToken");
        if (value != a && value != b) ++torn;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(torn.load(), 0);
}

}  // namespace
