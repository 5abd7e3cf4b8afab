// Terminal progress bar for uploads and downloads.
#include "ProgressBar.h"

#include <chrono>
#include <cmath>

namespace kvhost {

namespace {

std::string amount(double bytes) {
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB"};
  int unit = 0;
  while (bytes >= 1024.0 && unit < 3) {
    bytes /= 1024.0;
    ++unit;
  }
  char text[32];
  if (unit == 0) {
    std::snprintf(text, sizeof text, "%.0f %s", bytes, kUnits[unit]);
  } else {
    std::snprintf(text, sizeof text, "%.1f %s", bytes, kUnits[unit]);
  }
  return text;
}

}  // namespace

ProgressBar::ProgressBar(W::WKinvaleOAI& provider, std::FILE* stream)
    : m_provider(provider), m_stream(stream) {}

ProgressBar::~ProgressBar() {
  stop();
}

void ProgressBar::start() {
  if (m_thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopping = false;
  }
  m_thread = std::thread([this] { poll(); });
}

void ProgressBar::stop() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopping = true;
  }
  m_wake.notify_all();
  m_thread.join();
  if (m_drawn) {
    std::fputs("\r\033[K", m_stream);
    std::fflush(m_stream);
    m_drawn = false;
  }
}

std::string ProgressBar::render(double done, double total, int width) {
  if (!(done >= 0.0)) done = 0.0;  // also catches NaN
  if (!(total > 0.0)) return "[" + std::string(width, '.') + "]  " + amount(done);
  double fraction = done / total;
  if (fraction > 1.0) fraction = 1.0;
  const int filled = static_cast<int>(std::floor(fraction * width));
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(std::floor(fraction * 100.0)));
  return "[" + std::string(filled, '#') + std::string(width - filled, ' ') + "] " + percent + "  " +
         amount(done) + " / " + amount(total);
}

void ProgressBar::poll() {
  std::unique_lock<std::mutex> lock(m_lock);
  while (!m_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_stopping; })) {
    lock.unlock();
    double done = 0.0;
    double total = 0.0;
    const W::WSTATUS status =
        m_provider.progressStatus(m_provider.getContentProvider(), done, total, nullptr);
    if (status == 0) {
      std::fprintf(m_stream, "\r%s", render(done, total, 30).c_str());
      std::fflush(m_stream);
      m_drawn = true;
    }
    lock.lock();
  }
}

}  // namespace kvhost
