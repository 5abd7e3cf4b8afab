// Fixtures of the group, content and comment tests: a logged-in provider
// behind the capturing executor, and a recorder that the provider's
// callbacks fill through their user data (safe on the executor's thread).
#pragma once

#include <W/WKVComment.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CallLog.h"
#include "PluginTestSupport.h"
#include "ServiceAnswers.h"
#include "XmlTestDoc.h"

namespace kvtest {

// What one operation's callback delivered. Pass its address as user data.
struct Seen : CallLog {
  W::WSTATUS status = 12345;
  std::vector<W::WGroup> groups;
  std::vector<W::WContent> contents;
  std::vector<W::WComment> comments;
  int listCount = -2;
  W::WGroup group;
  W::WContent content;
  W::WComment comment;
  W::WPerson person;
  std::string text;

  template <class Fill>
  static void record(void* userData, W::WSTATUS status, Fill fill) {
    Seen* self = static_cast<Seen*>(userData);
    self->CallLog::record([&] {
      self->status = status;
      fill(*self);
    });
  }
};

template <class T>
std::vector<T> toVector(const W::WContainer<T>& c) {
  return std::vector<T>(c.getData().begin(), c.getData().end());
}

inline void onGroupList(W::WSTATUS s, const W::WContentProvider&, const W::WContainer<W::WGroup>& g,
                        const W::WPerson& p, void* u) {
  Seen::record(u, s, [&](Seen& seen) {
    seen.groups = toVector(g);
    seen.listCount = g.getCount();
    seen.person = p;
  });
}
inline void onGroup(W::WSTATUS s, const W::WContentProvider&, const W::WGroup& g, void* u) {
  Seen::record(u, s, [&](Seen& seen) { seen.group = g; });
}
inline void onContentList(W::WSTATUS s, const W::WContentProvider&,
                          const W::WContainer<W::WContent>& c, void* u) {
  Seen::record(u, s, [&](Seen& seen) {
    seen.contents = toVector(c);
    seen.listCount = c.getCount();
  });
}
inline void onContentCreated(W::WSTATUS s, const W::WContentProvider&, const W::WGroup& g,
                             const W::WContent& c, const std::string& path, void* u) {
  Seen::record(u, s, [&](Seen& seen) {
    seen.group = g;
    seen.content = c;
    seen.text = path;
  });
}
inline void onContent(W::WSTATUS s, const W::WContentProvider&, const W::WContent& c, void* u) {
  Seen::record(u, s, [&](Seen& seen) { seen.content = c; });
}
inline void onContentUpdated(W::WSTATUS s, const W::WContentProvider&, const W::WContent& c,
                             const std::string& text, void* u) {
  Seen::record(u, s, [&](Seen& seen) {
    seen.content = c;
    seen.text = text;
  });
}
inline void onCommentList(W::WSTATUS s, const W::WContentProvider&,
                          const W::WContainer<W::WComment>& c, void* u) {
  Seen::record(u, s, [&](Seen& seen) { seen.comments = toVector(c); });
}
inline void onCommentText(W::WSTATUS s, const W::WContentProvider&, const W::WComment& c,
                          const std::string& text, void* u) {
  Seen::record(u, s, [&](Seen& seen) {
    seen.comment = c;
    seen.text = text;
  });
}
inline void onComment(W::WSTATUS s, const W::WContentProvider&, const W::WComment& c, void* u) {
  Seen::record(u, s, [&](Seen& seen) { seen.comment = c; });
}

// A logged-in provider whose requests are captured, not sent.
class CapturedProvider : public ::testing::Test {
 protected:
  void SetUp() override {
    configure();
    resetLogs();
    oai.reset(new W::WKVOAI());
    logIn(*oai);
  }
  void TearDown() override {
    oai.reset();
    clearConfiguration();
  }

  // The URL of a service resource under the test base URL.
  static std::string serviceUrl(const std::string& resource) {
    return "http://kv.test/openapi/service/kinvale/" + resource;
  }

  // Cancels the pending operation, then completes its request: only the
  // cancel callback may hear of it, with status 0 and the operation's user
  // data (`operation`), and the cancel is over.
  void completeCancelled(Seen& operation, int httpCode, const std::string& payload) {
    ASSERT_EQ(oai->cancel(provider(), &onCancel, nullptr), 0);
    const size_t before = cancels().size();
    executor.completeLast(0, httpCode, payload);
    ASSERT_EQ(cancels().size(), before + 1);
    EXPECT_EQ(cancels().entries.back().status, 0);
    EXPECT_EQ(cancels().entries.back().userData, &operation);
    EXPECT_EQ(operation.callCount(), 0) << "the operation's own callback is not called";
    EXPECT_FALSE(oai->isCancelRequested());
    EXPECT_EQ(oai->pendingCommands(), 0u);
  }
  // The same for an operation without callback: nobody is called and the
  // cancel is forgotten.
  void completeCancelledWithoutCallback(const std::string& payload) {
    ASSERT_EQ(oai->cancel(provider(), &onCancel, nullptr), 0);
    executor.completeLast(0, 200, payload);
    EXPECT_FALSE(oai->isCancelRequested());
    EXPECT_EQ(cancels().size(), 0u);
    EXPECT_EQ(oai->pendingCommands(), 0u);
  }

  CapturingExecutor executor;  // outlives the provider
  std::unique_ptr<W::WKVOAI> oai;
};

inline W::WPerson personWithUID(const std::string& uid) {
  W::WPerson p;
  p.setUID(uid);
  return p;
}
inline W::WGroup groupWith(const std::string& uid, const std::string& name = "",
                           const std::string& desc = "") {
  W::WGroup g;
  g.setUID(uid);
  g.setName(name);
  g.setDescription(desc);
  return g;
}
inline W::WContent contentWithUID(const std::string& uid) {
  W::WContent c;
  c.setUID(uid);
  return c;
}
// A content createContent takes: a photo's MIME type, and `description`.
inline W::WContent photoToUpload(const std::string& description = "") {
  W::WContent c;
  c.setMIMEType("image/jpeg");
  c.setDescription(description);
  return c;
}
inline W::WComment commentWith(const std::string& uid, const std::string& text = "") {
  W::WComment c;
  c.setUID(uid);
  c.setComment(text);
  return c;
}

}  // namespace kvtest
