// Readable output: status line, values, aligned columns.
#include <gtest/gtest.h>

#include "TableWriter.h"

namespace kvhost {
namespace {

TEST(TableWriter, AlignsColumnsAndLeavesOutDetailFields) {
  Report report;
  report.op = "comments";
  report.status = 0;
  report.values.number("count", 2);
  report.listName = "comments";
  Record a;
  a.text("uid", "c1").text("text", "Nice\nphoto").text("size", "9", false);
  Record b;
  b.text("uid", "c100")
      .text("text",
            "Gr\xc3\xbc\xc3\x9f"
            "e");
  report.items = {a, b};
  EXPECT_EQ(toTable(report),
            "comments: WSTATUS_SUCCESS (0)\n"
            "  count: 2\n"
            "  UID   TEXT\n"
            "  c1    Nice photo\n"
            "  c100  Gr\xc3\xbc\xc3\x9f"
            "e\n");
}

TEST(TableWriter, SaysWhenTheListIsEmpty) {
  Report report;
  report.op = "feed";
  report.status = -205;
  report.listName = "contents";
  EXPECT_EQ(toTable(report), "feed: WSTATUS_NOT_FOUND (-205)\n  (no contents)\n");
}

TEST(TableWriter, ReportWithoutListShowsValuesOnly) {
  Report report;
  report.op = "download";
  report.status = 0;
  report.values.text("name", "photo.jpg");
  EXPECT_EQ(toTable(report), "download: WSTATUS_SUCCESS (0)\n  name: photo.jpg\n");
}

}  // namespace
}  // namespace kvhost
