// Percent-encoding of values that go into service paths, queries and form
// bodies, so that "&", "=", "%" or "/" in user text cannot change the request.
#pragma once

#include <W/WTypes.h>

namespace W {

// Keeps ALPHA, DIGIT, "-", ".", "_" and "~"; writes a space as "+" and every
// other byte as "%XX" (upper-case hex). "Tom & Jerry" -> "Tom+%26+Jerry".
STRING percentEncode(const STRING& value);

}  // namespace W
