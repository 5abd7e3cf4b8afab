// Parser of fesim's "i2c w|r AA bb ..." lines into whole transfers.
#include "TransferLog.h"

#include <sstream>

namespace probebench {

namespace {

constexpr uint8_t kDemodAddr = 0x08;

bool parseHexByte(const std::string& word, uint8_t& out) {
  if (word.size() != 2) return false;
  unsigned value = 0;
  for (char c : word) {
    value <<= 4;
    if (c >= '0' && c <= '9') {
      value |= static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      value |= static_cast<unsigned>(c - 'a' + 10);
    } else {
      return false;
    }
  }
  out = static_cast<uint8_t>(value);
  return true;
}

// Parses one "i2c ..." line; returns an error text, empty on success.
std::string parseMessage(const std::string& line, LoggedMessage& msg) {
  std::istringstream words(line);
  std::string word;
  words >> word;  // "i2c"
  if (!(words >> word) || (word != "w" && word != "r")) return "not a message: " + line;
  msg.read = word == "r";
  if (!(words >> word) || !parseHexByte(word, msg.addr)) return "bad address: " + line;
  while (words >> word) {
    uint8_t byte = 0;
    if (word == "nak") return "refused message: " + line;
    if (!parseHexByte(word, byte)) return "bad byte: " + line;
    msg.bytes.push_back(byte);
  }
  return {};
}

}  // namespace

int Transfer::reg() const {
  const LoggedMessage& first = messages.front();
  if (first.addr != kDemodAddr || first.read || first.bytes.empty()) return -1;
  return first.bytes[0];
}

std::vector<uint8_t> Transfer::data() const {
  if (isRegisterRead()) return messages[1].bytes;
  const LoggedMessage& only = messages.front();
  if (reg() < 0) return only.bytes;
  return std::vector<uint8_t>(only.bytes.begin() + 1, only.bytes.end());
}

bool readTransfers(std::istream& log, std::vector<Transfer>& out, std::string& error) {
  std::string line;
  bool pendingPointer = false;  // last transfer is a lone register-number write
  while (std::getline(log, line)) {
    if (line.rfind("i2c ", 0) != 0) {
      pendingPointer = false;
      continue;
    }
    LoggedMessage msg;
    error = parseMessage(line, msg);
    if (!error.empty()) return false;
    // A register read is one combined transfer, logged as its two messages.
    if (msg.read && pendingPointer && out.back().messages[0].addr == msg.addr) {
      out.back().messages.push_back(std::move(msg));
      pendingPointer = false;
      continue;
    }
    pendingPointer = !msg.read && msg.bytes.size() == 1;
    Transfer t;
    t.messages.push_back(std::move(msg));
    out.push_back(std::move(t));
  }
  return true;
}

}  // namespace probebench
