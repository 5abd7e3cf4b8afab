// Root of every plug-in object the host loads: the handle the host sets
// after loading, and validity.
#pragma once

namespace W {

class WPlugin {
 public:
  WPlugin() : m_handle(nullptr), m_word1(1), m_word2(0) {}
  // Slot 0.
  virtual bool isValid() const { return m_handle != nullptr; }
  // Slots 1 and 2 (complete and deleting destructor).
  virtual ~WPlugin() = default;

  // Written by the loading host only; the plug-in never sets it.
  void setHandle(void* handle) { m_handle = handle; }
  void* getHandle() const { return m_handle; }

 private:
  void* m_handle;
  long m_word1;
  long m_word2;
};

}  // namespace W
