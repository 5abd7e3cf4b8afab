// Feed answers of realistic shape for the parsing benchmarks, written by
// kvsim's own record writers so they match what the plug-in reads on the wire.
#pragma once

#include <cstddef>
#include <string>

namespace kvbench {

// A whole feed answer ("rsp" envelope) holding `items` contents: kvsim's
// default family feed (photos, videos, music with details, thumbnails and
// creators, gallery, message-board and calendar items with comments),
// repeated under fresh UIDs until the count is reached.
std::string makeFeedAnswer(std::size_t items);

}  // namespace kvbench
