// KV_EXPORT marks the plug-in's unmangled entry points: the library is built
// with hidden visibility, and these are the only symbols a host may look up.
#pragma once

#define KV_EXPORT __attribute__((visibility("default")))
