// dlopen/createPlugin/destroyPlugin, as the host framework loads providers.
#include "PluginLoader.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include "KvBuildInfo.h"

namespace kvhost {

namespace {

typedef W::WPlugin* (*CreateFn)();
typedef void (*DestroyFn)(W::WPlugin*);

}  // namespace

PluginLoader::~PluginLoader() {
  unload();
}

bool PluginLoader::load(const std::string& path, std::string& error) {
  unload();
  // RTLD_NODELETE keeps the code mapped after dlclose: the executor thread
  // lives in libW until process exit, and sanitizer reports at exit can
  // still name the plug-in's functions.
  m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (m_library == nullptr) {
    const char* why = dlerror();
    error = "cannot load plug-in " + path + ": " + (why ? why : "unknown error");
    return false;
  }
  CreateFn create = reinterpret_cast<CreateFn>(dlsym(m_library, "createPlugin"));
  DestroyFn destroy = reinterpret_cast<DestroyFn>(dlsym(m_library, "destroyPlugin"));
  if (create == nullptr || destroy == nullptr) {
    error = "plug-in " + path + " does not export createPlugin and destroyPlugin";
    unload();
    return false;
  }
  m_downloader = reinterpret_cast<ContentDownloaderEntry>(dlsym(m_library, "kvContentDownloader"));
  m_plugin = create();
  if (m_plugin == nullptr) {
    error = "createPlugin of " + path + " returned no provider";
    unload();
    return false;
  }
  m_destroy = destroy;
  // Every plug-in of this host is a WKinvaleOAI: single inheritance, so the
  // static conversion is exact (a dynamic_cast would need the plug-in's
  // hidden type information).
  m_provider = static_cast<W::WKinvaleOAI*>(m_plugin);
  m_plugin->setHandle(m_library);
  return true;
}

void PluginLoader::unload() {
  if (m_plugin != nullptr && m_destroy != nullptr) m_destroy(m_plugin);
  m_plugin = nullptr;
  m_provider = nullptr;
  m_destroy = nullptr;
  m_downloader = nullptr;
  if (m_library != nullptr) dlclose(m_library);
  m_library = nullptr;
}

std::string PluginLoader::defaultPath() {
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return std::string();
  std::string path(exe, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return defaultPathFor(path.substr(0, slash), KV_PLUGIN_DIR_FROM_BIN);
}

std::string PluginLoader::defaultPathFor(const std::string& exeDir, const std::string& pluginDir) {
  const std::string name = "/libkinvale-oai.so";
  const std::string installed =
      (!pluginDir.empty() && pluginDir[0] == '/' ? pluginDir : exeDir + "/" + pluginDir) + name;
  const std::string buildTree = exeDir + "/../lib" + name;
  if (access(installed.c_str(), F_OK) != 0 && access(buildTree.c_str(), F_OK) == 0)
    return buildTree;
  return installed;
}

}  // namespace kvhost
