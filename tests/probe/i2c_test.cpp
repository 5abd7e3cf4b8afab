// Message layout of the i2c-dev wrappers, checked through the transfer hook: the
// register prefix, combined reads, masked writes, unset addresses and transfer
// results other than the message count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_i2c.h"
#include "i2c.h"

namespace {

using Bytes = std::vector<uint8_t>;

class I2cWrappers : public testing::Test {
 protected:
  FakeI2c bus;
  i2c_handle handle{-1};
};

TEST(I2cRegPrefix, OneByteBelow0x100ElseHighByteFirst) {
  const struct {
    uint16_t reg;
    Bytes prefix;
  } cases[] = {{0x00, {0x00}},        {0x31, {0x31}},         {0xFF, {0xFF}},
               {0x100, {0x01, 0x00}}, {0x1234, {0x12, 0x34}}, {0xFFFF, {0xFF, 0xFF}}};
  for (const auto& c : cases) {
    uint8_t out[2] = {0xEE, 0xEE};
    size_t n = i2c_reg_prefix(c.reg, out);
    EXPECT_EQ(c.prefix, Bytes(out, out + n)) << c.reg;
  }
}

TEST_F(I2cWrappers, WriteIsOneMessageRegisterThenData) {
  const uint8_t data[5] = {0x5C, 0x32, 0xC2, 0x96, 0x6D};
  ASSERT_EQ(0, frontend_write(&handle, 0x08, 0x31, data, 5));
  ASSERT_EQ(1u, bus.transfers.size());
  EXPECT_EQ((std::vector<FakeMsg>{{0x08, 0, {0x31, 0x5C, 0x32, 0xC2, 0x96, 0x6D}}}),
            bus.transfers[0]);

  ASSERT_EQ(0, frontend_write(&handle, 0x08, 0x1234, data, 2));
  EXPECT_EQ((std::vector<FakeMsg>{{0x08, 0, {0x12, 0x34, 0x5C, 0x32}}}), bus.transfers[1]);
}

TEST_F(I2cWrappers, ReadIsRegisterWriteThenReadInOneTransfer) {
  bus.regs[0x04] = 0x9E;
  bus.regs[0x05] = 0xC9;
  uint8_t got[2] = {};
  ASSERT_EQ(0, frontend_read(&handle, 0x08, 0x04, got, 2));
  ASSERT_EQ(1u, bus.transfers.size());
  EXPECT_EQ((std::vector<FakeMsg>{{0x08, 0, {0x04}}, {0x08, I2C_M_RD, {0x9E, 0xC9}}}),
            bus.transfers[0]);
  EXPECT_EQ((Bytes{0x9E, 0xC9}), Bytes(got, got + 2));

  uint8_t one = 0;
  ASSERT_EQ(0, frontend_read(&handle, 0x08, 0x1234, &one, 1));
  EXPECT_EQ((Bytes{0x12, 0x34}), bus.transfers[1][0].bytes);
  EXPECT_EQ(1u, bus.transfers[1][1].bytes.size());
}

TEST_F(I2cWrappers, MaskedWriteOrsValueBitsOutsideTheMask) {
  bus.regs[0x07] = 0xF0;
  ASSERT_EQ(0, frontend_write_mask(&handle, 0x08, 0x07, 0x01, 0x03));
  EXPECT_EQ(0xF3, bus.regs[0x07]);
  ASSERT_EQ(2u, bus.transfers.size());
  EXPECT_EQ((std::vector<FakeMsg>{{0x08, 0, {0x07, 0xF3}}}), bus.transfers[1]);

  bus.regs[0x07] = 0xFF;
  ASSERT_EQ(0, frontend_write_mask(&handle, 0x08, 0x07, 0x21, 0x00));
  EXPECT_EQ(0xDE, bus.regs[0x07]);
}

TEST_F(I2cWrappers, MaskedWriteStopsWhenTheReadFails) {
  bus.fail_from = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, frontend_write_mask(&handle, 0x08, 0x07, 0x01, 0x01));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(1u, bus.transfers.size());
}

TEST_F(I2cWrappers, PllMessagesHaveNoPrefix) {
  bus.regs[0x07] = 0x02;  // gate open for the fake tuner
  const uint8_t msg[4] = {0x0B, 0xF5, 0xCA, 0x6C};
  ASSERT_EQ(0, pll_write(&handle, 0x60, msg, 4));
  uint8_t status = 0xEE;
  ASSERT_EQ(0, pll_read(&handle, 0x60, &status, 1));
  ASSERT_EQ(2u, bus.transfers.size());
  EXPECT_EQ((std::vector<FakeMsg>{{0x60, 0, {0x0B, 0xF5, 0xCA, 0x6C}}}), bus.transfers[0]);
  ASSERT_EQ(1u, bus.transfers[1].size());
  EXPECT_EQ(0x60, bus.transfers[1][0].addr);
  EXPECT_EQ(I2C_M_RD, bus.transfers[1][0].flags);
}

TEST_F(I2cWrappers, UnsetAddressTouchesNothing) {
  uint8_t b = 0;
  const struct {
    const char* what;
    int (*call)(i2c_handle*, uint8_t*);
    const char* message;
  } cases[] = {
      {"frontend_write",
       [](i2c_handle* h, uint8_t* p) { return frontend_write(h, 0xFFFF, 0x07, p, 1); },
       "frontend i2c address not set!\n"},
      {"frontend_read",
       [](i2c_handle* h, uint8_t* p) { return frontend_read(h, 0xFFFF, 0x07, p, 1); },
       "frontend i2c address not set!\n"},
      {"frontend_write_mask",
       [](i2c_handle* h, uint8_t*) { return frontend_write_mask(h, 0xFFFF, 0x07, 1, 1); },
       "frontend i2c address not set!\n"},
      {"pll_write", [](i2c_handle* h, uint8_t* p) { return pll_write(h, 0xFFFF, p, 1); },
       "pll i2c address not set!\n"},
      {"pll_read", [](i2c_handle* h, uint8_t* p) { return pll_read(h, 0xFFFF, p, 1); },
       "pll i2c address not set!\n"},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(-1, c.call(&handle, &b)) << c.what;
    EXPECT_EQ(c.message, testing::internal::GetCapturedStderr()) << c.what;
  }
  EXPECT_TRUE(bus.transfers.empty());
}

TEST_F(I2cWrappers, TransferFailsUnlessEveryMessageWent) {
  uint8_t reg = 0x00;
  struct i2c_msg msgs[2] = {{0x08, 0, 1, &reg}, {0x08, I2C_M_RD, 1, &reg}};
  EXPECT_EQ(2, i2c_transfer(&handle, msgs, 2));

  bus.override_result = true;
  bus.result = 1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, i2c_transfer(&handle, msgs, 2));
  EXPECT_EQ("i2c_transfer: 1 of 2 messages transferred\n", testing::internal::GetCapturedStderr());

  bus.result = 0;
  uint8_t b = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, frontend_read(&handle, 0x08, 0x00, &b, 1));
  EXPECT_EQ(-1, frontend_write(&handle, 0x08, 0x00, &b, 1));
  EXPECT_EQ(
      "i2c_transfer: 0 of 2 messages transferred\n"
      "i2c_transfer: 0 of 1 messages transferred\n",
      testing::internal::GetCapturedStderr());
}

TEST_F(I2cWrappers, FailedIoctlIsReportedWithPerror) {
  bus.fail_from = 0;
  uint8_t b = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, frontend_write(&handle, 0x08, 0x00, &b, 1));
  EXPECT_EQ("i2c_transfer: No such device or address\n", testing::internal::GetCapturedStderr());
}

TEST(I2cOpen, MissingBusGivesNullAndOneMessageForTheSecondPath) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(nullptr, i2c_open(987654));
  EXPECT_EQ("/dev/i2c/987654: No such file or directory\n", testing::internal::GetCapturedStderr());
}

}  // namespace
