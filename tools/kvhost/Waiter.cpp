// Bounded hand-over of callback reports between threads.
#include "Waiter.h"

#include <utility>

namespace kvhost {

void Waiter::begin(const std::string& op) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_op = op;
  m_hasReport = false;
  m_abandoned = false;
  m_report = Report();
}

std::string Waiter::op() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_op;
}

bool Waiter::finish(Report report) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_hasReport) return false;
    m_report = std::move(report);
    m_hasReport = true;
  }
  m_changed.notify_all();
  return true;
}

bool Waiter::wait(std::chrono::milliseconds timeout, Report& out) {
  std::unique_lock<std::mutex> lock(m_lock);
  if (!m_changed.wait_for(lock, timeout, [this] { return m_hasReport; })) return false;
  out = std::move(m_report);
  return true;
}

bool Waiter::waitEnded(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_lock);
  return m_changed.wait_for(lock, timeout, [this] { return m_hasReport || m_abandoned; });
}

void Waiter::abandon() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_abandoned = true;
  }
  m_changed.notify_all();
}

}  // namespace kvhost
