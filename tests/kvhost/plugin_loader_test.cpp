// Loading the real plug-in with dlopen, and the failures on the way there.
#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "PluginLoader.h"
#include "TestFiles.h"

namespace kvhost {
namespace {

TEST(PluginLoader, DefaultPathIsTheLibraryBesideTheExecutable) {
  const std::string path = PluginLoader::defaultPath();
  const std::string tail = "/../lib/libkinvale-oai.so";
  ASSERT_GT(path.size(), tail.size());
  EXPECT_EQ(path.compare(path.size() - tail.size(), tail.size(), tail), 0) << path;
}

// Without --plugin: the installed plug-in directory first, the build tree's
// ../lib when only that has the plug-in. ROOT stands for a scratch tree that
// holds bin/ (kvhost's directory) and the files listed.
TEST(PluginLoader, DefaultPathPrefersTheInstalledPluginDirectory) {
  const char* const kInstalled = "../lib/x86_64-linux-gnu/kinvale/plugins";
  const struct {
    const char* pluginDir;
    std::vector<std::string> files;
    const char* expected;
  } rows[] = {
      {kInstalled,
       {"lib/x86_64-linux-gnu/kinvale/plugins/libkinvale-oai.so", "lib/libkinvale-oai.so"},
       "ROOT/bin/../lib/x86_64-linux-gnu/kinvale/plugins/libkinvale-oai.so"},
      {kInstalled, {"lib/libkinvale-oai.so"}, "ROOT/bin/../lib/libkinvale-oai.so"},
      {kInstalled, {}, "ROOT/bin/../lib/x86_64-linux-gnu/kinvale/plugins/libkinvale-oai.so"},
      {"ROOT/host/plugins",
       {"host/plugins/libkinvale-oai.so", "lib/libkinvale-oai.so"},
       "ROOT/host/plugins/libkinvale-oai.so"},
      {"ROOT/host/plugins", {"lib/libkinvale-oai.so"}, "ROOT/bin/../lib/libkinvale-oai.so"},
  };
  for (const auto& row : rows) {
    kvtest::TempDir root("kv-plugin-dir");
    ASSERT_FALSE(root.path().empty());
    const auto rooted = [&](std::string text) {
      if (text.compare(0, 4, "ROOT") == 0) text.replace(0, 4, root.path());
      return text;
    };
    std::filesystem::create_directories(root.file("bin"));
    for (const std::string& file : row.files) {
      std::filesystem::create_directories(std::filesystem::path(root.file(file)).parent_path());
      root.write(file, "");
    }
    EXPECT_EQ(PluginLoader::defaultPathFor(root.file("bin"), rooted(row.pluginDir)),
              rooted(row.expected))
        << row.pluginDir << " with " << row.files.size() << " files";
  }
}

TEST(PluginLoader, MissingLibraryIsAnErrorNamingThePath) {
  PluginLoader loader;
  std::string error;
  EXPECT_FALSE(loader.load("/nonexistent/libkinvale-oai.so", error));
  EXPECT_NE(error.find("cannot load plug-in /nonexistent/libkinvale-oai.so"), std::string::npos);
  EXPECT_EQ(loader.provider(), nullptr);
}

#ifdef KV_PLUGIN_PATH
TEST(PluginLoader, LibraryWithoutEntryPointsIsRefused) {
  PluginLoader loader;
  std::string error;
  EXPECT_FALSE(loader.load(KV_HOSTLIB_PATH, error));
  EXPECT_NE(error.find("does not export createPlugin and destroyPlugin"), std::string::npos);
  EXPECT_EQ(loader.provider(), nullptr);
}

TEST(PluginLoader, RealPluginGivesAValidKinvaleProviderAndItsDownloaderEntry) {
  PluginLoader loader;
  std::string error;
  ASSERT_TRUE(loader.load(KV_PLUGIN_PATH, error)) << error;
  ASSERT_NE(loader.provider(), nullptr);
  EXPECT_TRUE(loader.provider()->isValid());  // the host set the handle
  EXPECT_EQ(loader.provider()->getContentProvider().getName(), "Kinvale");
  EXPECT_EQ(loader.provider()->getContentProvider().getServiceType(), 12);
  EXPECT_NE(loader.contentDownloader(), nullptr);
  // Unsupported operations answer at once through the virtual table.
  EXPECT_EQ(loader.provider()->unregisterKV(nullptr, nullptr), -15);
  loader.unload();
  EXPECT_EQ(loader.provider(), nullptr);
  loader.unload();  // idempotent
}

// Thread-local storage in a dlopen'ed library is dynamic TLS, allocated on
// first use with malloc; LeakSanitizer's scan of such blocks crashes the
// host under ASan when one lands 16 bytes past a page. The plug-in has none.
TEST(PluginLoader, LoadedPluginHasNoThreadLocalStorage) {
  PluginLoader loader;
  std::string error;
  ASSERT_TRUE(loader.load(KV_PLUGIN_PATH, error)) << error;
  struct Seen {
    bool found = false;
    int tlsSegments = 0;
  } seen;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        Seen* s = static_cast<Seen*>(data);
        if (info->dlpi_name == nullptr || std::strstr(info->dlpi_name, "libkinvale-oai") == nullptr)
          return 0;
        s->found = true;
        for (int i = 0; i < info->dlpi_phnum; ++i)
          s->tlsSegments += info->dlpi_phdr[i].p_type == PT_TLS;
        return 1;
      },
      &seen);
  ASSERT_TRUE(seen.found) << "libkinvale-oai is not among the loaded objects";
  EXPECT_EQ(seen.tlsSegments, 0) << "the plug-in has a PT_TLS segment (a thread_local)";
}

// Whether the loaded object asks the loader never to unload it
// (DF_1_NODELETE in its dynamic section).
bool linkedNodelete(void* library) {
  link_map* map = nullptr;
  if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return false;
  for (const ElfW(Dyn)* d = map->l_ld; d->d_tag != DT_NULL; ++d) {
    if (d->d_tag == DT_FLAGS_1) return (d->d_un.d_val & DF_1_NODELETE) != 0;
  }
  return false;
}

// A host that loads without RTLD_NODELETE and unloads the plug-in still
// finds its code mapped: the executor's thread may run it after dlclose.
// The library says so itself rather than by the loader's chance.
TEST(PluginLoader, PluginStaysMappedAfterDlcloseWithoutNodelete) {
  void* library = dlopen(KV_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_TRUE(linkedNodelete(library));
  using Destroy = void (*)(W::WPlugin*);
  using Create = W::WPlugin* (*)();
  const auto create = reinterpret_cast<Create>(dlsym(library, "createPlugin"));
  const auto destroy = reinterpret_cast<Destroy>(dlsym(library, "destroyPlugin"));
  ASSERT_TRUE(create != nullptr && destroy != nullptr);
  W::WPlugin* plugin = create();
  ASSERT_EQ(dlclose(library), 0);
  void* stillLoaded = dlopen(KV_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(stillLoaded, nullptr) << "unmapped by dlclose";
  destroy(plugin);  // the plug-in's code, reached after dlclose
  dlclose(stillLoaded);
}

TEST(PluginLoader, DownloaderEntryRefusesNullArguments) {
  PluginLoader loader;
  std::string error;
  ASSERT_TRUE(loader.load(KV_PLUGIN_PATH, error)) << error;
  W::WMediaResource resource;
  resource.setResourceURL("http://127.0.0.1:9/x.jpg");
  EXPECT_EQ(loader.contentDownloader()(nullptr, nullptr, nullptr, loader.plugin()), -1);
  EXPECT_EQ(loader.contentDownloader()(&resource, nullptr, nullptr, nullptr), -1);
}
#endif

}  // namespace
}  // namespace kvhost
