// The real feprobe binary against a misbehaving simulated front-end: an I2C
// transfer that fails at every position of the initialisation and of a short
// scan, wrong identification bytes, a chip whose counter never counts and a
// front processor that is never ready or always busy. Every fault must end in
// the probe's message and exit status 1, within a bounded time.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <string>
#include <vector>

#include "probe_runner.h"

namespace {

using Lines = std::vector<std::string>;

const char kWait1[] = "waiting for 1 seconds\n";
const char kNakMessage[] = "i2c_transfer: No such device or address\n";

// A fault run must stay well inside this; the bounded waits take about 2 s and
// every trapped front-processor access a few hundred microseconds.
const int kWatchdog = 80;

// Last transfer index tried before giving up on finding the end of a run.
const int kMaxTransfers = 2000;

// Eight channels of scan row 15 (mask 0x2000, 7 MHz raster from 529.5 MHz):
// plain locks, offset retunes in both directions, one that never locks and
// one with inversion, so every branch of the acquisition loop is crossed.
const char kScanChannels[] =
    "channel=529500000 7000000 mode=8k guard=1/4 mod=qam64 hp=2/3 lp=2/3\n"
    "channel=536500000 7000000 offset=1\n"
    "channel=543500000 7000000 lock=no\n"
    "channel=550500000 7000000 mode=2k inv=on\n"
    "channel=557500000 7000000\n"
    "channel=564500000 7000000 offset=2\n"
    "channel=571500000 7000000\n"
    "channel=578500000 7000000\n";

// Runs the real feprobe with args under the simulator configured by config.
ProbeRun RunProbe(const std::string& config, const std::vector<std::string>& args,
                  const std::string& stdin_text = "", int watchdog_seconds = kWatchdog) {
  std::vector<std::string> command = {FEPROBE};
  command.insert(command.end(), args.begin(), args.end());
  return RunUnderFesim(config, command, stdin_text, watchdog_seconds);
}

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int CountEndingWith(const Lines& log, const std::string& suffix) {
  int n = 0;
  for (const std::string& l : log) n += EndsWith(l, suffix);
  return n;
}

// Number of I2C_RDWR calls in a clean log: every transfer starts with a
// write message, except a lone tuner read (none of the demodulator's reads
// go without their register write).
int TransferCount(const Lines& log) {
  int n = 0;
  for (const std::string& l : log) n += StartsWith(l, "i2c w ") || StartsWith(l, "i2c r 60");
  return n;
}

// Index in log of the line that begins the given 1-based transfer, or -1.
int TransferLine(const Lines& log, int transfer) {
  int n = 0;
  for (size_t i = 0; i < log.size(); i++) {
    n += StartsWith(log[i], "i2c w ") || StartsWith(log[i], "i2c r 60");
    if (n == transfer) return static_cast<int>(i);
  }
  return -1;
}

// Checks one faulted run against the clean one: status 1, no hang, the same
// bus traffic up to the failing message, that message marked as refused and
// nothing after it, standard output a prefix of the clean output without the
// timing line.
void ExpectFaultedRun(const ProbeRun& r, const ProbeRun& clean, int transfer,
                      const std::string& stderr_text) {
  SCOPED_TRACE("transfer " + std::to_string(transfer));
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, stderr_text);
  ASSERT_FALSE(r.log.empty());
  int first = TransferLine(clean.log, transfer);
  ASSERT_GE(first, 0);
  // Up to the failing transfer the probe did exactly what it did unfaulted.
  ASSERT_EQ(r.log.size(), static_cast<size_t>(first) + 1) << r.log.back();
  for (int i = 0; i < first; i++) ASSERT_EQ(r.log[i], clean.log[i]) << "line " << i;
  std::string refused = clean.log[first];
  if (StartsWith(refused, "i2c r "))  // a read NAKs before any byte comes back
    refused = refused.substr(0, 8);
  EXPECT_EQ(r.log.back(), refused + " nak");
  EXPECT_EQ(CountEndingWith(r.log, " nak"), 1);
  EXPECT_TRUE(StartsWith(clean.out, r.out)) << r.out;
  EXPECT_EQ(r.out.find("scan took"), std::string::npos);
}

// Index of the transfer that writes the last step of the initialisation.
int LastInitTransfer(const Lines& log) {
  int line = IndexOf(log, "i2c w 08 4f 1a");
  if (line < 0) return -1;
  Lines head(log.begin(), log.begin() + line + 1);
  return TransferCount(head);
}

// ------------------------------------------------------ NAK at every position

// True when the transfer is part of the restart inside the initialisation:
// its failure is reported but does not stop the set-up.
bool IsInitRestart(const Lines& log, int transfer, int last_init) {
  int line = TransferLine(log, transfer);
  return transfer <= last_init && line >= 0 &&
         (log[line] == "i2c w 08 01" || log[line] == "i2c w 08 01 40");
}

// A fault in the restart step: its message, then the rest of the set-up and a
// clean end.
void ExpectRestartFaultIgnored(const ProbeRun& r, int transfer, const std::string& err) {
  SCOPED_TRACE("restart transfer " + std::to_string(transfer));
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, err);
  EXPECT_EQ(r.out, kWait1);
  EXPECT_NE(IndexOf(r.log, "i2c w 08 4f 1a"), -1);
  ASSERT_FALSE(r.log.empty());
  EXPECT_EQ(r.log.back(), "close /dev/i2c-0");
}

TEST(FeprobeFaults, NakAtEveryTransferOfInitialisationEndsWithMessageAndStatusOne) {
  ProbeRun clean = RunProbe("", {"--init"});
  ASSERT_EQ(clean.status, 0) << clean.err;
  const int transfers = TransferCount(clean.log);
  const int last_init = LastInitTransfer(clean.log);
  ASSERT_GT(last_init, 30);         // identification, then the 27 steps' transfers
  ASSERT_GT(transfers, last_init);  // then inversion off
  int restarts = 0;
  for (int n = 1; n <= transfers; n++) {
    ProbeRun r = RunProbe("nak_at=" + std::to_string(n) + "\n", {"--init"});
    if (IsInitRestart(clean.log, n, last_init)) {
      restarts++;
      ExpectRestartFaultIgnored(r, n, kNakMessage);
      continue;
    }
    std::string err = kNakMessage;
    if (n == 1) {
      err += "could not read revision\n";
    } else if (n <= last_init) {
      err += "tda10046_init: No such device or address\n";  // the transfer's own errno
    }
    ExpectFaultedRun(r, clean, n, err);
    EXPECT_EQ(r.out, kWait1);
    if (HasFatalFailure()) return;
  }
  EXPECT_EQ(restarts, 2);  // its read and its write
  // One past the last transfer the fault never fires: the run is the clean one.
  ProbeRun after = RunProbe("nak_at=" + std::to_string(transfers + 1) + "\n", {"--init"});
  EXPECT_EQ(after.status, 0);
  EXPECT_EQ(after.log, clean.log);
}

TEST(FeprobeFaults, ShortTransferAtEveryPositionOfInitialisationEndsWithStatusOne) {
  ProbeRun clean = RunProbe("", {"--init"});
  ASSERT_EQ(clean.status, 0) << clean.err;
  const int transfers = TransferCount(clean.log);
  const int last_init = LastInitTransfer(clean.log);
  for (int n = 1; n <= transfers; n++) {
    SCOPED_TRACE("transfer " + std::to_string(n));
    ProbeRun r = RunProbe("short_at=" + std::to_string(n) + "\n", {"--init"});
    // A read (two messages) comes back one short, a write none.
    int line = TransferLine(clean.log, n);
    ASSERT_GE(line, 0);
    bool is_read =
        line + 1 < static_cast<int>(clean.log.size()) && StartsWith(clean.log[line + 1], "i2c r ");
    std::string err = is_read ? "i2c_transfer: 1 of 2 messages transferred\n"
                              : "i2c_transfer: 0 of 1 messages transferred\n";
    if (IsInitRestart(clean.log, n, last_init)) {
      ExpectRestartFaultIgnored(r, n, err);
      continue;
    }
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 1);
    if (n == 1) err += "could not read revision\n";
    if (n > 1 && n <= last_init)
      err += "tda10046_init: Input/output error\n";  // a short transfer is EIO
    EXPECT_EQ(r.err, err);
    EXPECT_EQ(r.out, kWait1);
    // Nothing goes on the bus after the short transfer.
    EXPECT_EQ(TransferCount(r.log), n);
  }
}

TEST(FeprobeFaults, NakAtEveryTransferOfAShortScanEndsWithoutTimingLine) {
  const std::vector<std::string> args = {"--scan", "--verbose", "--scan-bands=0x2000"};
  ProbeRun clean = RunProbe(kScanChannels, args);
  ASSERT_EQ(clean.status, 0) << clean.err;
  ASSERT_EQ(SplitLines(clean.out).size(), 10u) << clean.out;  // wait, 8 channels, timing
  const int transfers = TransferCount(clean.log);
  ASSERT_GT(transfers, 100);
  for (int n = 1; n <= transfers; n++) {
    ProbeRun r = RunProbe(std::string(kScanChannels) + "nak_at=" + std::to_string(n) + "\n", args,
                          "", kWatchdog);
    std::string err = kNakMessage;
    if (n == 1) err += "could not read revision\n";
    ExpectFaultedRun(r, clean, n, err);
    if (HasFatalFailure()) return;
  }
  ProbeRun after =
      RunProbe(std::string(kScanChannels) + "nak_at=" + std::to_string(transfers + 1) + "\n", args);
  EXPECT_EQ(after.status, 0);
  EXPECT_EQ(after.out.substr(0, after.out.rfind("scan took")),
            clean.out.substr(0, clean.out.rfind("scan took")));
  EXPECT_LT(transfers, kMaxTransfers);
}

// ------------------------------------------------------------ interrupts

// Transfer numbers from the read of 0x07 that opens the gate to the write
// that closes it: a signal after any of them finds the gate open, about to
// be, or not yet known closed, and must have it closed.
std::vector<int> GateWindowTransfers(const Lines& log) {
  std::vector<int> window;
  int n = 0;
  for (const std::string& l : log) {
    n += StartsWith(l, "i2c w ") || StartsWith(l, "i2c r 60");
    if (StartsWith(l, "i2c w 60 "))
      for (int t = n - 2; t <= n + 2; t++) window.push_back(t);
  }
  return window;
}

// Lines of log up to the last message of the given transfer.
Lines LogThroughTransfer(const Lines& log, int transfer) {
  int next = TransferLine(log, transfer + 1);
  size_t end = next < 0 ? log.size() : static_cast<size_t>(next);
  while (end > 0 && !StartsWith(log[end - 1], "i2c ")) end--;
  return Lines(log.begin(), log.begin() + static_cast<long>(end));
}

// SIGINT or SIGTERM after every transfer of a short scan: inside the gate's
// window the probe closes the gate, says so in one line and exits 130 or 143;
// anywhere else it dies of the signal as before, without a word. Either way
// nothing else goes on the bus and the gate ends closed.
TEST(FeprobeFaults, InterruptAtEveryTransferOfAShortScanLeavesTheGateClosed) {
  const std::vector<std::string> args = {"--scan", "--verbose", "--scan-bands=0x2000"};
  ProbeRun clean = RunProbe(kScanChannels, args);
  ASSERT_EQ(clean.status, 0) << clean.err;
  const int transfers = TransferCount(clean.log);
  const std::vector<int> window = GateWindowTransfers(clean.log);
  ASSERT_EQ(window.size(), 5u * 10);  // 8 channels, 2 of them retuned
  int closedByProbe = 0;
  for (int n = 1; n <= transfers; n++) {
    const bool term = n % 2 == 0;
    SCOPED_TRACE("signal after transfer " + std::to_string(n) + (term ? " TERM" : " INT"));
    ProbeRun r = RunProbe(std::string(kScanChannels) + "signal_at=" + std::to_string(n) +
                              "\nsignal=" + (term ? "TERM" : "INT") + "\n",
                          args);
    EXPECT_FALSE(r.timed_out);
    Lines expected = LogThroughTransfer(clean.log, n);
    expected.push_back(term ? "signal TERM" : "signal INT");
    if (std::find(window.begin(), window.end(), n) != window.end()) {
      closedByProbe++;
      EXPECT_EQ(r.status, term ? 143 : 130);
      EXPECT_EQ(r.err, term ? "interrupted by SIGTERM: tuner gate closed\n"
                            : "interrupted by SIGINT: tuner gate closed\n");
      expected.push_back("i2c w 08 07");
      ASSERT_GT(r.log.size(), expected.size());
      expected.push_back(r.log[expected.size()]);  // the gate register as it was
      expected.push_back("i2c w 08 07 00");
    } else {
      EXPECT_EQ(r.signal, term ? SIGTERM : SIGINT);
      EXPECT_EQ(r.err, "");
    }
    EXPECT_EQ(r.log, expected);
    EXPECT_TRUE(StartsWith(clean.out, r.out)) << r.out;
    if (HasFailure()) return;
  }
  EXPECT_EQ(closedByProbe, 50);
}

// ------------------------------------------------------------ device faults

// Faults of the chip and of the front processor, each with the probe's exact
// standard error. None may hang: the bounded waits end them.
TEST(FeprobeFaults, DeviceFaultsGiveTheirMessageAndStatusOne) {
  struct Case {
    const char* what;
    const char* config;
    std::vector<std::string> args;
    const char* stdin_text;
    const char* err;
  } cases[] = {
      {"wrong identification byte",
       "id=0x47\n",
       {"--scan"},
       "",
       "unknown tda revision 47. need to wake up? (option --wakeup)\n"},
      {"another wrong identification byte",
       "id=0xff\n",
       {"--init"},
       "",
       "unknown tda revision ff. need to wake up? (option --wakeup)\n"},
      {"zero identification byte",
       "id=0x00\n",
       {"--init", "--scan"},
       "",
       "unknown tda revision 00. need to wake up? (option --wakeup)\n"
       "maybe a hardware reset is needed. (option --hw-reset)\n"},
      {"zero identification byte after wakeup",
       "id=0x00\n",
       {"--wakeup"},
       "",
       "unknown tda revision 00. need to wake up? (option --wakeup)\n"
       "maybe a hardware reset is needed. (option --hw-reset)\n"},
      {"chip asleep",
       "asleep=1\n",
       {"--scan"},
       "",
       "unknown tda revision 00. need to wake up? (option --wakeup)\n"
       "maybe a hardware reset is needed. (option --hw-reset)\n"},
      {"demodulator never answers",
       "nak_addr=0x08\n",
       {"--init"},
       "",
       "i2c_transfer: No such device or address\ncould not read revision\n"},
      {"tuner never answers (single frequency)",
       "nak_addr=0x60\n",
       {"--freq=474"},
       "",
       "i2c_transfer: No such device or address\n"},
      {"counter never counts",
       "counter=stuck\n",
       {"--scan", "--scan-bands=0x2000"},
       "",
       "lock wait timeout at 529500000 Hz\n"},
      {"counter never counts (single frequency)",
       "counter=stuck\n",
       {"--freq=474000000", "--bandwidth=8000000"},
       "",
       "lock wait timeout at 474000000 Hz\n"},
      {"front processor never ready",
       "fp_ready_after=never\n",
       {"--hw-reset"},
       "\n",
       "!!! FP TX TIMEOUT\nfp_reset_bus(0) failed\n"},
      {"front processor never ready (bus 1)",
       "fp_ready_first=never\n",
       {"--hw-reset", "--bus=1"},
       "\n",
       "!!! FP TX TIMEOUT\nfp_reset_bus(1) failed\n"},
      {"front processor always busy",
       "fp_busy=always\n",
       {"--hw-reset"},
       "\n",
       "fp busy timeout\nfp_reset_bus(0) failed\n"},
      {"physical memory denied",
       "mem=denied\n",
       {"--hw-reset"},
       "\n",
       "/dev/mem: Permission denied\nfp_init() failed\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProbeRun r = RunProbe(c.config, c.args, c.stdin_text, kWatchdog);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out.find("scan took"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("OK "), std::string::npos) << r.out;
    EXPECT_LT(r.seconds, 30.0);
  }
}

// A front processor that is busy, or slow to be ready, for a bounded while
// is waited for: the reset still goes out.
TEST(FeprobeFaults, SlowButWorkingFrontProcessorStillResets) {
  const char* configs[] = {"fp_busy=1000\n", "fp_ready_after=50\n", "fp_ready_first=5000\n"};
  for (const char* config : configs) {
    SCOPED_TRACE(config);
    ProbeRun r = RunProbe(config, {"--hw-reset"}, "\n", kWatchdog);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(LinesStartingWith(r.log, "fp ").size(), 10u);
  }
}

}  // namespace
