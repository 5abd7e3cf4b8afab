// Start and end time of an event.
#pragma once

#include <W/WDateTime.h>

namespace W {

class WWhen {
 public:
  WWhen() = default;
  WWhen(const WDateTime& start, const WDateTime& end) : m_start(start), m_end(end) {}
  const WDateTime& getStartTime() const { return m_start; }
  const WDateTime& getEndTime() const { return m_end; }
  void setStartTime(const WDateTime& t) { m_start = t; }
  void setEndTime(const WDateTime& t) { m_end = t; }

 private:
  WDateTime m_start;
  WDateTime m_end;
};

}  // namespace W
