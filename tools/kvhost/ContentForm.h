// How kvhost names and sums up a content. The plug-in reads a content in the
// form its identifiers select, and each form keeps its text, person and date
// in other fields: a message's text and writer sit in its message, an event's
// title and time in its event.
#pragma once

#include <W/WContent.h>
#include <W/WPerson.h>

#include <string>

namespace kvhost {

// "gallery", "message" or "event" for the first non-empty of the gallery,
// message-board and calendar IDs (the order the plug-in selects forms in);
// otherwise a feed item, named by its type ("photo", "video", "music", ...)
// or "feed" when it has none.
std::string contentForm(const W::WContent& content);

// What stands for a content in a table row.
struct ContentSummary {
  std::string form;
  // Message: its text. Event: title, time and description. Gallery item: the
  // description with format, resolution and duration. Feed item: the
  // description.
  std::string text;
  // The message's or event's member, else the content's user.
  std::string person;
  // The message's or event's register date, else the first set of the
  // content's register date, register time, create date and create time;
  // "YYYY-MM-DD HH:MM:SS" or empty.
  std::string date;
};

ContentSummary summarize(const W::WContent& content);

// A person's name, or its UID when the name is empty.
std::string personLabel(const W::WPerson& person);

}  // namespace kvhost
