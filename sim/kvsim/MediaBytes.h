// Small, valid media files made in code, so every URL kvsim hands out serves
// real bytes: solid-colour PNGs, grey baseline JPEGs, an MP4 and an MP3 stub.
#pragma once

#include <cstdint>
#include <string>

namespace kvsim {

// A decodable PNG of one colour.
std::string makePng(int width, int height, uint8_t red, uint8_t green, uint8_t blue);

// A decodable baseline JPEG, mid grey, carrying `comment` in a COM segment so
// that files of different resources differ.
std::string makeJpeg(int width, int height, const std::string& comment);

// An MP4 file: "ftyp" box, a "free" box with `comment` and an empty "mdat",
// padded to about `size` bytes.
std::string makeMp4(const std::string& comment, size_t size);

// An MP3 file: an ID3v2 tag with `comment` followed by silent MPEG-1 Layer III
// frames, about `size` bytes.
std::string makeMp3(const std::string& comment, size_t size);

// MIME type for a file name by its extension ("image/jpeg" for .jpg, ...);
// "application/octet-stream" for anything unknown.
std::string mimeForName(const std::string& name);

// File extension for a MIME type ("jpg" for image/jpeg, ...); "bin" when unknown.
std::string extensionForMime(const std::string& mime);

}  // namespace kvsim
