// Builds feed answers from kvsim's seeded store.
#include "FeedDocument.h"

#include <vector>

#include "RecordXml.h"
#include "Seed.h"
#include "XmlWriter.h"

namespace kvbench {

std::string makeFeedAnswer(std::size_t items) {
  kvsim::StoreData data;
  kvsim::seedFamily(data);
  std::vector<kvsim::Content> models;
  for (const kvsim::Content* c : data.contentsOf("g1")) models.push_back(*c);

  std::vector<const kvsim::Content*> feed;
  feed.reserve(items);
  for (std::size_t i = 0; i < items; ++i) {
    const kvsim::Content& model = models[i % models.size()];
    const kvsim::Content& copy = data.addContent(model);
    // The copy carries its model's comments, as a busy family feed would.
    for (const kvsim::Comment* m : data.commentsOf(model.uid)) {
      kvsim::Comment comment = *m;
      comment.contentUid = copy.uid;
      data.addComment(comment);
    }
    feed.push_back(&copy);
  }
  kvsim::XmlWriter w;
  kvsim::writeFeedItems(w, data, feed, "http://127.0.0.1:8380");
  return kvsim::envelope(true, "", w.str());
}

}  // namespace kvbench
