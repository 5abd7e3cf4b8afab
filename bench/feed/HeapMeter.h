// Peak heap use of a piece of work, for the memory figures of the parsing
// benchmark. The benchmark binary routes malloc and free through a counter
// (glibc's __libc_* entry points underneath); libxml2's nodes and the
// plug-in's records both come from malloc, so one meter sees both.
#pragma once

#include <cstddef>

namespace kvbench {

// True when the counter is built in (not under a sanitizer, which owns malloc).
bool heapMeterAvailable();

// Starts counting from zero live bytes.
void heapMeterStart();
// Stops counting; returns the highest number of live bytes since the start
// (bytes allocated and not yet freed during the measured work).
std::size_t heapMeterStopPeak();
// Live bytes allocated since the start and not freed yet.
std::size_t heapMeterLive();
// The highest number of live bytes since the start, counting on.
std::size_t heapMeterPeak();

}  // namespace kvbench
