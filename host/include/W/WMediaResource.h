// A downloadable media item (picture, thumbnail, content file): URL, MIME
// type and the provider's downloader that fetches it.
#pragma once

#include <W/WResource.h>

#include <istream>

namespace W {

class WMediaResource;

// Receives a fetched resource: status, provider, the resource, a stream on
// the downloaded bytes (valid only during the call), user data.
typedef void (*WContentDownloadCallback)(int status, const WContentProvider& provider,
                                         const WMediaResource& resource, std::istream& stream,
                                         void* userData);

// A provider's downloader: starts fetching `resource`, later calls
// `callback` with `userData`. `downloaderArg` is what setDownloader stored.
typedef int (*WContentDownloader)(const WMediaResource& resource, WContentDownloadCallback callback,
                                  void* userData, void* downloaderArg);

class WMediaResource : public WResource {
 public:
  const STRING& getMIMEType() const { return m_mimeType; }
  void setMIMEType(STRING type) { m_mimeType = std::move(type); }
  const STRING& getResourceURL() const { return m_url; }
  void setResourceURL(STRING url) { m_url = std::move(url); }

  // The downloader and its argument (not owned: the provider outlives the
  // records it hands out only while it is loaded).
  void setDownloader(WContentDownloader fn, void* arg) {
    m_downloader = fn;
    m_downloaderArg = arg;
  }
  WContentDownloader getDownloader() const { return m_downloader; }
  void* getDownloaderArg() const { return m_downloaderArg; }
  bool hasDownloader() const { return m_downloader != nullptr; }

  // Starts the download through the stored downloader. Returns its status,
  // or -15 when the resource has none.
  int download(WContentDownloadCallback callback, void* userData) const {
    if (!m_downloader) return -15;
    return m_downloader(*this, callback, userData, m_downloaderArg);
  }

 private:
  STRING m_mimeType;
  STRING m_url;
  WContentDownloader m_downloader = nullptr;
  void* m_downloaderArg = nullptr;
};

}  // namespace W
