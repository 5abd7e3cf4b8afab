// The default family that kvsim starts with, and the media every new record
// gets (pictures, group images, content files and thumbnails).
#pragma once

#include <string>

#include "Store.h"

namespace kvsim {

// Adds a person with a generated 72x72 PNG picture.
void addPerson(StoreData& d, const std::string& uid, const std::string& name,
               const std::string& phone);

// Gives a group its generated image and 274x204 thumbnail (PNG).
void addGroupImages(StoreData& d, Group& g);

// Stores `bytes` as the content's file under /media/contents/UID/NAME and
// generates its three JPEG thumbnails; sets size, mediaPath and thumbPaths.
void attachContentMedia(StoreData& d, Content& c, const std::string& name, const std::string& mime,
                        std::string bytes);

// Fills the store with the default family: persons u1 to u4, groups g1
// "Family" (master u1) and g2 "Grandparents" (master u3), contents c1001 to
// c1041 and comments m2001 to m2005 (listed in README.md).
void seedFamily(StoreData& d);

}  // namespace kvsim
