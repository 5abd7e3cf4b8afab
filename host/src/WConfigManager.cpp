// Process-wide per-provider options: the plug-in reads its identifiers here,
// the host (or a test) sets them directly or loads them from a file.
#include <W/WConfigManager.h>

#include <fstream>
#include <vector>

namespace W {

namespace {

STRING trim(const STRING& text) {
  const char* const kBlank = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == STRING::npos) return STRING();
  const std::size_t last = text.find_last_not_of(kBlank);
  return text.substr(first, last - first + 1);
}

}  // namespace

WConfigManager& WConfigManager::getInstance() {
  // Initialised once, thread-safe, and never destroyed: the executor's
  // completions may still read options while the process exits.
  static WConfigManager* const instance = new WConfigManager();
  return *instance;
}

WVariant WConfigManager::getCPOption(const WContentProvider& provider, const STRING& key) const {
  std::lock_guard<std::mutex> guard(m_lock);
  auto it = m_options.find(std::make_pair(provider.getID(), key));
  if (it == m_options.end()) return WVariant();
  return WVariant(it->second);
}

void WConfigManager::setCPOption(const WContentProvider& provider, const STRING& key,
                                 const STRING& value) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_options[std::make_pair(provider.getID(), key)] = value;
}

void WConfigManager::removeCPOption(const WContentProvider& provider, const STRING& key) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_options.erase(std::make_pair(provider.getID(), key));
}

void WConfigManager::clearCPOptions(const WContentProvider& provider) {
  std::lock_guard<std::mutex> guard(m_lock);
  const UINT32 id = provider.getID();
  auto it = m_options.lower_bound(std::make_pair(id, STRING()));
  while (it != m_options.end() && it->first.first == id) it = m_options.erase(it);
}

int WConfigManager::loadCPOptions(const WContentProvider& provider, const STRING& path) {
  std::ifstream file(path);
  if (!file) return -1;

  // Parse the whole file first, so a bad line leaves the options untouched.
  std::vector<std::pair<STRING, STRING>> parsed;
  STRING line;
  while (std::getline(file, line)) {
    const STRING text = trim(line);
    if (text.empty() || text[0] == '#') continue;
    const std::size_t eq = text.find('=');
    if (eq == STRING::npos) return -1;
    STRING key = trim(text.substr(0, eq));
    if (key.empty()) return -1;
    parsed.emplace_back(std::move(key), trim(text.substr(eq + 1)));
  }
  if (file.bad()) return -1;

  std::lock_guard<std::mutex> guard(m_lock);
  for (auto& option : parsed) {
    m_options[std::make_pair(provider.getID(), option.first)] = std::move(option.second);
  }
  return 0;
}

}  // namespace W
