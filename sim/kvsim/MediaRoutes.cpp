// Media files: every picture, thumbnail and content file kvsim hands out.
#include "Routes.h"

namespace kvsim {

Reply handleMedia(Context& ctx, const Call& call) {
  return ctx.store.with([&](StoreData& d) {
    auto it = d.media.find(call.path);
    if (it == d.media.end()) return textReply(404, "no such media\n");
    Reply r;
    r.contentType = it->second.mime;
    r.bytes = it->second.bytes;
    return r;
  });
}

}  // namespace kvsim
