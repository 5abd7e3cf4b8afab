// The whole host record as a JSON object for --json: every field the
// plug-in can fill, under the key names tools/kvhost/README.md lists. Empty
// texts stay "" and unset dates and persons are null, so every key is
// always there.
#pragma once

#include <W/WComment.h>
#include <W/WContent.h>
#include <W/WGroup.h>

#include "Report.h"

namespace kvhost {

Json jsonOf(const W::WGroup& group);
Json jsonOf(const W::WContent& content);
Json jsonOf(const W::WComment& comment);

}  // namespace kvhost
