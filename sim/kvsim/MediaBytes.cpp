// Media file generators; only the structure readers check is written.
#include "MediaBytes.h"

#include <vector>

namespace kvsim {

namespace {

void put32(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

void put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

uint32_t crc32(const std::string& data) {
  uint32_t crc = 0xffffffffu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xffffffffu;
}

void pngChunk(std::string& out, const char* type, const std::string& data) {
  put32(out, static_cast<uint32_t>(data.size()));
  std::string typed = std::string(type, 4) + data;
  out += typed;
  put32(out, crc32(typed));
}

// zlib stream of stored (uncompressed) deflate blocks.
std::string zlibStored(const std::string& raw) {
  std::string out("\x78\x01", 2);
  size_t pos = 0;
  do {
    size_t n = raw.size() - pos;
    if (n > 65535) n = 65535;
    bool last = pos + n == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    out += static_cast<char>(n & 0xff);
    out += static_cast<char>(n >> 8);
    out += static_cast<char>(~n & 0xff);
    out += static_cast<char>((~n >> 8) & 0xff);
    out.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  put32(out, (b << 16) | a);
  return out;
}

}  // namespace

std::string makePng(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  put32(header, static_cast<uint32_t>(width));
  put32(header, static_cast<uint32_t>(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
  pngChunk(out, "IHDR", header);
  std::string row(1, '\0');
  for (int x = 0; x < width; ++x) {
    row += static_cast<char>(red);
    row += static_cast<char>(green);
    row += static_cast<char>(blue);
  }
  std::string raw;
  raw.reserve(row.size() * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) raw += row;
  pngChunk(out, "IDAT", zlibStored(raw));
  pngChunk(out, "IEND", std::string());
  return out;
}

std::string makeJpeg(int width, int height, const std::string& comment) {
  std::string out("\xff\xd8", 2);
  out += std::string("\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
  std::string text = comment.substr(0, 60000);
  out += std::string("\xff\xfe", 2);
  put16(out, static_cast<uint32_t>(text.size() + 2));
  out += text;
  out += std::string("\xff\xdb\x00\x43\x00", 5);  // one quantisation table of ones
  out += std::string(64, '\x01');
  out += std::string("\xff\xc0\x00\x0b\x08", 5);  // baseline frame, one grey component
  put16(out, static_cast<uint32_t>(height));
  put16(out, static_cast<uint32_t>(width));
  out += std::string("\x01\x01\x11\x00", 4);
  // DC and AC tables with a single one-bit code each: DC difference 0, and EOB.
  for (char tableClass : {'\x00', '\x10'}) {
    out += std::string("\xff\xc4\x00\x14", 4);
    out += tableClass;
    out += '\x01';
    out += std::string(15, '\0');
    out += '\0';
  }
  out += std::string("\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00", 10);
  // Every 8x8 block is "DC difference 0, EOB": two zero bits.
  size_t blocks = static_cast<size_t>((width + 7) / 8) * static_cast<size_t>((height + 7) / 8);
  size_t bits = blocks * 2;
  out += std::string(bits / 8, '\0');
  if (bits % 8 != 0) out += static_cast<char>(0xff >> (bits % 8));  // pad with ones
  out += std::string("\xff\xd9", 2);
  return out;
}

std::string makeMp4(const std::string& comment, size_t size) {
  std::string out;
  put32(out, 24);
  out += "ftypisom";
  put32(out, 0x200);
  out += "isommp41";
  std::string text = comment;
  if (size > out.size() + 16 + text.size()) text.resize(size - out.size() - 16, '\0');
  put32(out, static_cast<uint32_t>(8 + text.size()));
  out += "free";
  out += text;
  put32(out, 8);
  out += "mdat";
  return out;
}

std::string makeMp3(const std::string& comment, size_t size) {
  std::string out("ID3\x03\x00\x00", 6);
  std::string frame = "COMM";
  std::string body = std::string(
                         "\x00"
                         "eng"
                         "\x00",
                         5) +
                     comment;
  put32(frame, static_cast<uint32_t>(body.size()));
  frame += std::string("\x00\x00", 2);
  frame += body;
  uint32_t n = static_cast<uint32_t>(frame.size());
  out += static_cast<char>((n >> 21) & 0x7f);  // syncsafe tag size
  out += static_cast<char>((n >> 14) & 0x7f);
  out += static_cast<char>((n >> 7) & 0x7f);
  out += static_cast<char>(n & 0x7f);
  out += frame;
  // 128 kbit/s, 44.1 kHz, no padding: 417-byte frames of silence.
  do {
    out += std::string("\xff\xfb\x90\x00", 4);
    out += std::string(413, '\0');
  } while (out.size() < size);
  return out;
}

std::string mimeForName(const std::string& name) {
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
  if (ext == "png") return "image/png";
  if (ext == "mp4") return "video/mp4";
  if (ext == "mp3") return "audio/mpeg";
  return "application/octet-stream";
}

std::string extensionForMime(const std::string& mime) {
  if (mime == "image/jpeg" || mime == "image/jpg") return "jpg";
  if (mime == "image/png") return "png";
  if (mime == "video/mp4") return "mp4";
  if (mime == "audio/mpeg") return "mp3";
  return "bin";
}

}  // namespace kvsim
