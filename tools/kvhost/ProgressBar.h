// A one-line transfer progress bar on standard error, fed by the provider's
// progressStatus polled every 100 ms from a thread of its own.
#pragma once

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "frame/WKinvaleOAI.h"

namespace kvhost {

class ProgressBar {
 public:
  // Draws on `stream`; the provider must outlive the bar.
  ProgressBar(W::WKinvaleOAI& provider, std::FILE* stream);
  ~ProgressBar();

  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Starts polling; does nothing when already running.
  void start();
  // Stops polling, joins the thread and clears the line. Idempotent.
  void stop();

  // The bar for `done` of `total` bytes, `width` cells wide, e.g.
  // "[#####     ]  50%  512 B / 1.0 KiB". An unknown total (0) shows the
  // amount only.
  static std::string render(double done, double total, int width);

 private:
  void poll();

  W::WKinvaleOAI& m_provider;
  std::FILE* m_stream;
  std::thread m_thread;
  std::mutex m_lock;  // guards m_stopping
  std::condition_variable m_wake;
  bool m_stopping = false;
  bool m_drawn = false;  // written by the polling thread only, read after join
};

}  // namespace kvhost
