// Pixel size of a picture or video; the default is 0 by 0.
#pragma once

namespace W {

class WSize {
 public:
  WSize() = default;
  WSize(int width, int height) : m_width(width), m_height(height) {}
  int getWidth() const { return m_width; }
  int getHeight() const { return m_height; }
  bool operator==(const WSize& o) const { return m_width == o.m_width && m_height == o.m_height; }

 private:
  int m_width = 0;
  int m_height = 0;
};

}  // namespace W
