// The readable table row of each host record the plug-in hands back.
#pragma once

#include <W/WComment.h>
#include <W/WContent.h>
#include <W/WGroup.h>

#include "Report.h"

namespace kvhost {

// uid, name, total, photos, comments, master.
Row rowOf(const W::WGroup& group);
// uid, form, user, date, comments, text: see ContentSummary.
Row rowOf(const W::WContent& content);
// uid, user, date, text.
Row rowOf(const W::WComment& comment);

}  // namespace kvhost
