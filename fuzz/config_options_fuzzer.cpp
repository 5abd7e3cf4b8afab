// Fuzz target: the provider-options file loader (one key=value a line). The
// input is the file; what the loader keeps must equal the file's lines as
// read here, and a file it refuses must change nothing.
#include <W/WConfigManager.h>
#include <unistd.h>

#include <fstream>
#include <map>

#include "FuzzProvider.h"

namespace {

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The options of `text`, last line winning; false for a line that is not
// blank, a comment or key=value with a key.
bool readOptions(const std::string& text, std::map<std::string, std::string>& options) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = trimmed(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == '#') continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos || trimmed(line.substr(0, eq)).empty()) return false;
    options[trimmed(line.substr(0, eq))] = trimmed(line.substr(eq + 1));
  }
  return true;
}

// Never destroyed: the exit handler that removes the file reads it after
// the statics made later than its registration are gone.
const std::string& scratchPath() {
  static const std::string* const path = [] {
    const char* dir = std::getenv("TMPDIR");
    return new std::string(std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") +
                           "/kv-fuzz-options-" + std::to_string(getpid()) + ".conf");
  }();
  return *path;
}

void removeScratch() {
  std::remove(scratchPath().c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool cleanup = std::atexit(&removeScratch) == 0;
  (void)cleanup;
  const std::string text = kvfuzz::payload(data, size);
  {
    std::ofstream file(scratchPath(), std::ios::binary | std::ios::trunc);
    file << text;
    kvfuzz::require(file.good(), "the scratch file is written");
  }
  const W::WContentProvider provider("FuzzOptions", 12);
  W::WConfigManager& config = W::WConfigManager::getInstance();
  config.clearCPOptions(provider);
  config.setCPOption(provider, "fuzz-kept", "before");

  std::map<std::string, std::string> expected;
  const bool readable = readOptions(text, expected);
  const int status = config.loadCPOptions(provider, scratchPath());
  kvfuzz::require(status == (readable ? 0 : -1), "refused exactly when a line is not key=value");
  if (!readable) expected.clear();
  if (expected.count("fuzz-kept") == 0) expected["fuzz-kept"] = "before";
  for (const auto& option : expected) {
    const W::WVariant value = config.getCPOption(provider, option.first);
    kvfuzz::require(!value.isNull() && value.toString() == option.second,
                    "every option holds its line's value; a refused file changes nothing");
  }
  return 0;
}
