// The plug-in's list container of host records, handed to host callbacks.
#pragma once

#include <W/WExtendedProperty.h>
#include <W/WTypes.h>

#include <list>

namespace W {

template <class T>
class WContainer {
 public:
  WContainer() = default;
  virtual ~WContainer() = default;

  virtual const std::list<T>& getData() const { return m_data; }
  // Replaces the records with a copy of `data`.
  virtual void setData(const std::list<T>& data) { m_data = data; }
  virtual std::list<T>& data() { return m_data; }
  // Back to the state of a new container.
  virtual void clear() {
    m_count = -1;
    m_name.clear();
    m_property.clear();
    m_data.clear();
  }

  // The count a parser stored (items it read), -1 before any parse.
  int getCount() const { return m_count; }
  void setCount(int count) { m_count = count; }
  const STRING& getName() const { return m_name; }
  void setName(const STRING& name) { m_name = name; }
  WExtendedProperty& property() { return m_property; }

 private:
  int m_count = -1;
  STRING m_name;
  WExtendedProperty m_property;
  std::list<T> m_data;
};

}  // namespace W
