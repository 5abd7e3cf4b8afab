// Loads the plug-in with dlopen and owns the provider it creates: the
// provider is destroyed through the plug-in's own destroyPlugin before the
// loader goes away.
#pragma once

#include <W/WMediaResource.h>

#include <string>

#include "frame/WKinvaleOAI.h"

namespace kvhost {

// The plug-in's optional export that starts its content downloader for a
// resource (kvContentDownloader).
typedef int (*ContentDownloaderEntry)(const W::WMediaResource* resource,
                                      W::WContentDownloadCallback callback, void* userData,
                                      W::WPlugin* plugin);

class PluginLoader {
 public:
  PluginLoader() = default;
  ~PluginLoader();

  PluginLoader(const PluginLoader&) = delete;
  PluginLoader& operator=(const PluginLoader&) = delete;

  // Opens `path`, resolves createPlugin and destroyPlugin, creates the
  // provider and gives it the library handle. Returns false with `error`
  // set when the library does not open, an entry point is missing, or
  // createPlugin returns null.
  bool load(const std::string& path, std::string& error);

  // Destroys the provider (destroyPlugin), then closes the library.
  // Idempotent; the destructor calls it.
  void unload();

  // The provider, or null before load().
  W::WKinvaleOAI* provider() const { return m_provider; }
  W::WPlugin* plugin() const { return m_plugin; }
  // The kvContentDownloader export, or null when the plug-in has none.
  ContentDownloaderEntry contentDownloader() const { return m_downloader; }

  // The plug-in to load without --plugin: defaultPathFor the running
  // executable's directory and the installed plug-in directory
  // (KV_PLUGIN_DIR_FROM_BIN). Empty when /proc/self/exe cannot be read.
  static std::string defaultPath();

  // libkinvale-oai.so in `pluginDir` (relative to `exeDir` unless absolute)
  // when it is there, else in `exeDir`/../lib when it is there (a build
  // tree), else the first: a failing load then names the installed place.
  static std::string defaultPathFor(const std::string& exeDir, const std::string& pluginDir);

 private:
  void* m_library = nullptr;
  W::WPlugin* m_plugin = nullptr;
  W::WKinvaleOAI* m_provider = nullptr;
  void (*m_destroy)(W::WPlugin*) = nullptr;
  ContentDownloaderEntry m_downloader = nullptr;
};

}  // namespace kvhost
