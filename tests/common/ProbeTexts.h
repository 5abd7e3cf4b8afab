// Long literal texts the probe's tests compare against, kept once.
#pragma once

namespace kvtest {

// feprobe's usage text after its first line ("usage: PROGRAM [options]").
constexpr const char kFeprobeUsageOptions[] =
    "\t--hw-reset\n"
    "\t--bus=val\t(default: 0)\n"
    "\t--bandwidth=val\t(default: 0)\n"
    "\t--cp=val\t(default: 0)\n"
    "\t--init\n"
    "\t--inversion=val\t(default: 0)\n"
    "\t--modulation=val\t(default: 0)\n"
    "\t--reset\n"
    "\t--scan\n"
    "\t--scan-bands=val\t(default: 100)\n"
    "\t--sleep\n"
    "\t--wakeup\n"
    "\t--atc=val\t(default: 0)\n"
    "\t--al=val\t(default: 4)\n"
    "\t--freq=val\t(default: 0)\n"
    "\t--if=val\t(default: 36166667)\n"
    "\t--step-size=val\t(default: 166667)\n"
    "\t--test=val\t(default: 1)\n"
    "\t--help\n"
    "\t--verbose\n"
    "\t--wait\n";

}  // namespace kvtest
