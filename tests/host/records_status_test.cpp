// Status names: every status the plug-in produces has its own fixed name,
// whether it arrives as a signed value or converted to unsigned.
#include <W/WStatus.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

namespace {

struct StatusRow {
  int status;
  const char* name;
  W::WSTATUS constant;  // the named constant that must hold `status`
};

const StatusRow kKnown[] = {
    {0, "WSTATUS_SUCCESS", W::WSTATUS_SUCCESS},
    {100, "WSTATUS_MORE_ITEMS", W::WSTATUS_MORE_ITEMS},
    {-1, "WSTATUS_INVALID_ARGUMENT", W::WSTATUS_INVALID_ARGUMENT},
    {-3, "WSTATUS_REQUEST_FAILED", W::WSTATUS_REQUEST_FAILED},
    {-4, "WSTATUS_OUT_OF_MEMORY", W::WSTATUS_OUT_OF_MEMORY},
    {-5, "WSTATUS_FILE_ERROR", W::WSTATUS_FILE_ERROR},
    {-9, "WSTATUS_EXCEPTION_PENDING", W::WSTATUS_EXCEPTION_PENDING},
    {-13, "WSTATUS_ACCESS_DENIED", W::WSTATUS_ACCESS_DENIED},
    {-14, "WSTATUS_ALREADY_CANCELLING", W::WSTATUS_ALREADY_CANCELLING},
    {-15, "WSTATUS_NOT_SUPPORTED", W::WSTATUS_NOT_SUPPORTED},
    {-16, "WSTATUS_FAILURE", W::WSTATUS_FAILURE},
    {-100, "WSTATUS_CONNECT_FAILED", W::WSTATUS_CONNECT_FAILED},
    {-105, "WSTATUS_TIMEOUT", W::WSTATUS_TIMEOUT},
    {-107, "WSTATUS_SERVER_ERROR", W::WSTATUS_SERVER_ERROR},
    {-108, "WSTATUS_CANCELLED", W::WSTATUS_CANCELLED},
    {-200, "WSTATUS_SERVICE_REFUSED", W::WSTATUS_SERVICE_REFUSED},
    {-202, "WSTATUS_NOT_LOGGED_IN", W::WSTATUS_NOT_LOGGED_IN},
    {-203, "WSTATUS_CONFLICT", W::WSTATUS_CONFLICT},
    {-205, "WSTATUS_NOT_FOUND", W::WSTATUS_NOT_FOUND},
    {-208, "WSTATUS_AUTH_FAILED", W::WSTATUS_AUTH_FAILED},
    {-500, "WSTATUS_CAPTCHA_REQUIRED", W::WSTATUS_CAPTCHA_REQUIRED},
};

TEST(StatusNames, EveryProducedStatusHasItsName) {
  for (const StatusRow& row : kKnown) {
    SCOPED_TRACE(row.status);
    EXPECT_STREQ(W::WSTATUS2STRING(static_cast<unsigned>(row.status)), row.name);
  }
}

TEST(StatusNames, NamedConstantsHoldTheirNumbers) {
  for (const StatusRow& row : kKnown) EXPECT_EQ(row.constant, row.status) << row.name;
}

TEST(StatusNames, NamesAreDistinct) {
  std::set<std::string> names;
  for (const StatusRow& row : kKnown)
    names.insert(W::WSTATUS2STRING(static_cast<unsigned>(row.status)));
  EXPECT_EQ(names.size(), sizeof kKnown / sizeof kKnown[0]);
}

TEST(StatusNames, OtherValuesAreUnknownNeverNull) {
  // Every value from -1000 to 1000 that is no status, and the extremes.
  std::set<int> known;
  for (const StatusRow& row : kKnown) known.insert(row.status);
  for (int status = -1000; status <= 1000; ++status) {
    if (known.count(status) == 0) {
      EXPECT_STREQ(W::WSTATUS2STRING(static_cast<unsigned>(status)), "WSTATUS_UNKNOWN") << status;
    }
  }
  for (int status : {INT_MIN, INT_MAX}) {
    EXPECT_STREQ(W::WSTATUS2STRING(static_cast<unsigned>(status)), "WSTATUS_UNKNOWN") << status;
  }
  EXPECT_STREQ(W::WSTATUS2STRING(UINT_MAX - 1), "WSTATUS_UNKNOWN");       // -2
  EXPECT_STREQ(W::WSTATUS2STRING(UINT_MAX), "WSTATUS_INVALID_ARGUMENT");  // -1
}

}  // namespace
