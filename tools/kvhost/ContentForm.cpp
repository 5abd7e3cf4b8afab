// Form and readable summary of a content.
#include "ContentForm.h"

#include <W/WKVEvent.h>
#include <W/WKVMessage.h>

#include <initializer_list>

namespace kvhost {

namespace {

// The non-empty parts joined by `separator`.
std::string joined(std::initializer_list<std::string> parts, const char* separator) {
  std::string out;
  for (const std::string& part : parts) {
    if (part.empty()) continue;
    if (!out.empty()) out += separator;
    out += part;
  }
  return out;
}

// "2026-12-20 17:00" to "21:00": seconds dropped, the end's date only when
// it differs from the start's.
std::string timeSpan(const W::WWhen& when) {
  std::string start = when.getStartTime().toString();
  std::string end = when.getEndTime().toString();
  if (!start.empty()) start.resize(16);
  if (!end.empty()) end.resize(16);
  if (end.empty() || end == start) return start;
  if (start.empty()) return "until " + end;
  const bool sameDay = end.compare(0, 10, start, 0, 10) == 0;
  return start + " to " + (sameDay ? end.substr(11) : end);
}

std::string eventText(const W::WEvent& event) {
  return joined({event.getTitle(), event.hasWhen() ? timeSpan(event.getWhen()) : std::string(),
                 event.getDescription()},
                ", ");
}

std::string galleryText(const W::WContent& content) {
  const W::WSize& size = content.getResolution();
  const std::string pixels =
      size.getWidth() == 0 && size.getHeight() == 0
          ? std::string()
          : std::to_string(size.getWidth()) + "x" + std::to_string(size.getHeight());
  const std::string media = joined({content.getFormat(), pixels, content.getDuration()}, " ");
  return joined({content.getDescription(), media.empty() ? media : "(" + media + ")"}, " ");
}

std::string firstDate(std::initializer_list<const W::WDateTime*> dates) {
  for (const W::WDateTime* date : dates)
    if (date->isValid()) return date->toString();
  return std::string();
}

}  // namespace

std::string personLabel(const W::WPerson& person) {
  return person.getName().empty() ? person.getUID() : person.getName();
}

std::string contentForm(const W::WContent& content) {
  if (!content.getGalleryID().empty()) return "gallery";
  if (!content.getMsgBoardID().empty()) return "message";
  if (!content.getCalendarID().empty()) return "event";
  return content.getType().empty() ? "feed" : content.getType();
}

ContentSummary summarize(const W::WContent& content) {
  ContentSummary s;
  s.form = contentForm(content);
  s.text = content.getDescription();
  if (content.hasUser()) s.person = personLabel(content.getUser());
  W::WDateTime partDate;
  if (s.form == "message" && !content.getMessages().empty()) {
    const W::WKVMessage message(content.getMessages().front());
    s.text = message.getText();
    if (message.hasUser()) s.person = personLabel(message.getUser());
    partDate = message.getRegisterDate();
  } else if (s.form == "event" && !content.getEvents().empty()) {
    const W::WKVEvent event(content.getEvents().front());
    s.text = eventText(event);
    if (event.hasUser()) s.person = personLabel(event.getUser());
    partDate = event.getRegisterDate();
  } else if (s.form == "gallery") {
    s.text = galleryText(content);
  }
  s.date = firstDate({&partDate, &content.getRegisterDate(), &content.getRegisterTime(),
                      &content.getCreateDate(), &content.getCreateTime()});
  return s;
}

}  // namespace kvhost
