// Default upload MIME type by file extension.
#include <gtest/gtest.h>

#include "MimeType.h"

namespace kvhost {
namespace {

TEST(MimeType, ChosenByExtensionIgnoringCase) {
  const struct {
    const char* path;
    const char* mime;
  } cases[] = {
      {"a.jpg", "image/jpeg"},
      {"/tmp/x/B.JPEG", "image/jpeg"},
      {"shot.Png", "image/png"},
      {"clip.mp4", "application/octet-stream"},
      {"noext", "application/octet-stream"},
      {"dir.jpg/file", "application/octet-stream"},
      {"trailingdot.", "application/octet-stream"},
  };
  for (const auto& c : cases) EXPECT_EQ(mimeTypeForFile(c.path), c.mime) << c.path;
}

}  // namespace
}  // namespace kvhost
