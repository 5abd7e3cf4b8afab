// Runs a fuzz target over its committed seeds without libFuzzer, as a plain
// regression test: every file named on the command line, or in a directory
// named there. A broken promise aborts after the seed's name is printed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> seeds;
  for (int i = 1; i < argc; ++i) {
    if (fs::is_directory(argv[i])) {
      for (const auto& entry : fs::directory_iterator(argv[i]))
        if (entry.is_regular_file()) seeds.push_back(entry.path());
    } else {
      seeds.emplace_back(argv[i]);
    }
  }
  std::sort(seeds.begin(), seeds.end());
  for (const fs::path& seed : seeds) {
    std::ifstream file(seed, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof()) {
      std::fprintf(stderr, "cannot read seed %s\n", seed.c_str());
      return 1;
    }
    std::fprintf(stderr, "seed %s\n", seed.c_str());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("%zu seeds passed\n", seeds.size());
  return seeds.empty() ? 1 : 0;
}
