// The progress bar's text.
#include <gtest/gtest.h>

#include "ProgressBar.h"

namespace kvhost {
namespace {

TEST(ProgressBar, RendersFractionPercentAndAmounts) {
  const struct {
    double done, total;
    const char* text;
  } cases[] = {
      {0, 1000, "[          ]   0%  0 B / 1000 B"},
      {512, 1024, "[#####     ]  50%  512 B / 1.0 KiB"},
      {1024 * 1024, 1024 * 1024, "[##########] 100%  1.0 MiB / 1.0 MiB"},
      {2048, 1024, "[##########] 100%  2.0 KiB / 1.0 KiB"},
      {300, 0, "[..........]  300 B"},
      {-5, 0, "[..........]  0 B"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgressBar::render(c.done, c.total, 10), c.text);
}

}  // namespace
}  // namespace kvhost
