// Turns the host records the plug-in hands back (groups, contents, comments)
// into report records with the fields kvhost prints.
#pragma once

#include <W/WComment.h>
#include <W/WContent.h>
#include <W/WGroup.h>
#include <W/WPerson.h>

#include "Report.h"

namespace kvhost {

// uid, name, description, counts, master and image URL.
Record groupRecord(const W::WGroup& group);
// uid, type, description, author, comment count, date, MIME type, URL and
// the first thumbnail's URL.
Record contentRecord(const W::WContent& content);
// uid, text, author, date and size.
Record commentRecord(const W::WComment& comment);
// A person's name, or its UID when the name is empty.
std::string personLabel(const W::WPerson& person);

}  // namespace kvhost
