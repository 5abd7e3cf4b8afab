// A host record as a report item: its table row and its whole JSON object,
// made together so that the two output forms never disagree.
#pragma once

#include "RecordJson.h"
#include "RecordRows.h"

namespace kvhost {

template <class T>
Item itemOf(const T& record) {
  return Item{rowOf(record), jsonOf(record)};
}

}  // namespace kvhost
