// No exception ends the process. An allocation that fails (or any other
// exception) anywhere in a completion, its parser, its records or the
// host's own callback, or in an operation a host thread calls, ends that
// operation with a status reported once, and leaves nothing registered.
// Every allocation point is tried in turn: the Nth allocation throws, for
// every N, up to the first N the operation runs through untouched.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "AllocationFailure.h"
#include "OperationTestSupport.h"
#include "TestFiles.h"

namespace {

using kvtest::Injected;

// Answers that go through the person, image and detail readers, with
// texts longer than a short string keeps inline.
const std::string kGroups = kvtest::okAnswer(
    "<group groupId=\"g1\" groupName=\"The family around the table\">"
    "<groupDesc>Photographs of the whole family</groupDesc>"
    "<groupMaster><user><userId>u1</userId><userName>Grandmother Lindqvist</userName>"
    "<userImage><thumbnail id=\"userImageThumbnail_72X72\">http://kv.test/u1.jpg</thumbnail>"
    "</userImage></user></groupMaster>"
    "<groupImage><thumbnail id=\"groupImageThumbnail_274X204\">http://kv.test/g1.jpg"
    "</thumbnail></groupImage></group>");
const std::string kFeed = kvtest::okAnswer(
    "<content contentId=\"c1\"><contentType>photo</contentType>"
    "<contentDesc>The sea at the end of the summer</contentDesc>"
    "<contentCreator><userId>u1</userId><userName>Grandmother Lindqvist</userName>"
    "</contentCreator><contentDetail><contentResolutionX>1920</contentResolutionX>"
    "<contentResolutionY>1080</contentResolutionY><thumbnail id=\"contentThumbnail_540X405\">"
    "http://kv.test/c1-540.jpg</thumbnail></contentDetail></content>");
const std::string kComments = kvtest::okAnswer(
    "<comment commentId=\"cm-1\"><commentText>What a lovely evening that was</commentText>"
    "<commentCreator><userId>u2</userId><userName>Cousin Åsa</userName></commentCreator>"
    "</comment>");

// Callbacks that count their call before they do anything that allocates:
// an allocation failing inside the host's callback must still show as one
// report. The cancel callback gets the cancelled operation's user data.
void onAccount(W::WSTATUS status, const W::WContentProvider&, void* seen) {
  kvtest::Seen::record(seen, status, [](kvtest::Seen&) {});
}
void onDirect(W::WSTATUS status, const W::WContentProvider&, const std::string&, void* seen) {
  kvtest::Seen::record(seen, status, [](kvtest::Seen&) {});
}
void onMedia(int status, const W::WContentProvider&, const W::WMediaResource&, std::istream&,
             void* seen) {
  kvtest::Seen::record(seen, status, [](kvtest::Seen&) {});
}
void onCancelled(W::WSTATUS status, const W::WContentProvider&, void* seen) {
  kvtest::Seen::record(seen, status, [](kvtest::Seen& s) { s.text = "cancel callback"; });
}

struct Operation {
  const char* name;
  std::function<W::WSTATUS(W::WKVOAI&, kvtest::Seen&)> start;
  int code;
  std::string payload;
  W::WSTATUS status;  // the own callback's status when nothing throws
  bool cancelled;     // a cancel is pending when the request completes
};

// Every argument the operations take, made before any allocation is armed:
// only the plug-in's own allocations are tried.
struct Inputs {
  explicit Inputs(const std::string& dir) : directory(dir) {
    media.setResourceURL("http://kv.test/m/b.jpg");
  }
  const W::WPerson person;
  const W::WGroup group = kvtest::groupWith("g1", "Family");
  const W::WContent content = kvtest::contentWithUID("c1");
  const std::string latest = "latest";
  const std::string none;
  const std::string mediaUrl = "http://kv.test/m/a.jpg";
  const std::string directory;
  W::WMediaResource media;
};

// One row per kind of completion, and a cancelled one.
std::vector<Operation> operations(const Inputs& in) {
  return {
      {"register", [](W::WKVOAI& oai, kvtest::Seen& o) { return oai.registerKV(&onAccount, &o); },
       200, kvtest::okAnswer(), 0, false},
      {"group list",
       [&in](W::WKVOAI& oai, kvtest::Seen& o) {
         return oai.retrieveGroupList(in.person, &kvtest::onGroupList, 0, 10,
                                      W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_ALL, &o);
       },
       200, kGroups, 0, false},
      {"feed",
       [&in](W::WKVOAI& oai, kvtest::Seen& o) {
         return oai.retrieveGroupFeeds(in.group, in.latest, in.none, 10, W::KV_BASE_CREATED_TIME,
                                       W::KV_ITEM_ALL, W::KV_INCLUDE_ALL, &kvtest::onContentList,
                                       &o);
       },
       200, kFeed, 0, false},
      {"content view",
       [&in](W::WKVOAI& oai, kvtest::Seen& o) {
         return oai.viewContent(in.content, &kvtest::onContent, &o);
       },
       200, kFeed, 0, false},
      {"comment list",
       [&in](W::WKVOAI& oai, kvtest::Seen& o) {
         return oai.retrieveComments(in.content, &kvtest::onCommentList, 0, 10, &o);
       },
       200, kComments, 0, false},
      {"direct download",
       [&in](W::WKVOAI& oai, kvtest::Seen& o) {
         return oai.download(kvtest::provider(), in.mediaUrl, in.directory, in.none, &onDirect, &o);
       },
       200, "", 0, false},
      {"content download",
       [&in](W::WKVOAI& oai, kvtest::Seen& o) {
         return W::WKVOAI::fnContentDownloader(in.media, &onMedia, &o, &oai);
       },
       200, "", 0, false},
      {"cancelled group list",
       [&in](W::WKVOAI& oai, kvtest::Seen& o) {
         const W::WSTATUS status =
             oai.retrieveGroupList(in.person, &kvtest::onGroupList, 0, 10, W::KV_SORT_ALPHABETICAL,
                                   W::KV_INCLUDE_ALL, &o);
         return status != 0 ? status : oai.cancel(kvtest::provider(), &onCancelled, nullptr);
       },
       200, kGroups, 0, true},
  };
}

class Exceptions : public kvtest::CapturedProvider {
 protected:
  // Completes `op`'s request with the Nth allocation of the completion
  // failing, for every N; returns how many times the caller heard of the
  // failure itself (`failure`).
  int failEveryAllocationOfTheCompletion(const Operation& op, Injected what, W::WSTATUS failure) {
    int failureReports = 0;
    for (long n = 1;; ++n) {
      SCOPED_TRACE(std::string(op.name) + ", allocation " + std::to_string(n));
      kvtest::Seen seen;
      EXPECT_EQ(op.start(*oai, seen), 0);
      W::HttpRequest* request = executor.answerLast(op.code, op.payload, "image/jpeg");
      if (request == nullptr) {
        ADD_FAILURE() << "nothing was queued";
        return failureReports;
      }
      // The host writes a download's body before the completion runs.
      if (!request->getFilePath().empty()) kvtest::writeFile(request->getFilePath(), "jpeg");
      kvtest::failAllocation(n, what);
      request->complete(W::SESSION_OK);
      const bool threw = kvtest::disarmAllocation();

      EXPECT_EQ(seen.callCount(), 1) << "told once, through one callback";
      EXPECT_EQ(oai->pendingCommands(), 0u);
      EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
      if (op.cancelled) {
        EXPECT_EQ(seen.text, "cancel callback");
        EXPECT_EQ(seen.status, 0);
      } else if (seen.status == failure) {
        ++failureReports;
      } else {
        EXPECT_EQ(seen.status, op.status);
      }
      if (!threw || n > 100000) return failureReports;
    }
  }
};

// A completion whose Nth allocation throws reports -4 for std::bad_alloc,
// -16 for anything else (or, once its caller has been called, nothing
// more), and the next one does the same: the process and the provider go on.
TEST_F(Exceptions, EveryFailedAllocationOfACompletionReportsOnceAndCleansUp) {
  const kvtest::TempDir dir("kv-alloc");
  const Inputs inputs(dir.path());
  for (const Operation& op : operations(inputs)) {
    const int failures = failEveryAllocationOfTheCompletion(op, Injected::BadAlloc, -4);
    if (!op.cancelled) {
      EXPECT_GT(failures, 0) << op.name << ": no allocation failure was reported";
    }
    if (op.name == std::string("group list") || op.name == std::string("content download")) {
      EXPECT_GT(failEveryAllocationOfTheCompletion(op, Injected::Other, -16), 0) << op.name;
    }
  }
}

// An operation started on a host thread whose Nth allocation throws returns
// -4 with nothing queued or registered; otherwise it is queued as usual.
TEST_F(Exceptions, EveryFailedAllocationOfAnOperationReturnsOutOfMemory) {
  const kvtest::TempDir dir("kv-alloc");
  const Inputs inputs(dir.path());
  for (const Operation& op : operations(inputs)) {
    if (op.cancelled) continue;
    for (long n = 1;; ++n) {
      SCOPED_TRACE(std::string(op.name) + ", allocation " + std::to_string(n));
      kvtest::Seen seen;
      kvtest::failAllocation(n);
      const W::WSTATUS status = op.start(*oai, seen);
      const bool threw = kvtest::disarmAllocation();
      if (!threw) {
        EXPECT_EQ(status, 0);
        ASSERT_EQ(executor.size(), 1u);
        executor.completeLast(W::SESSION_OK, 404, "");
        break;
      }
      EXPECT_EQ(status, -4);
      EXPECT_EQ(executor.size(), 0u);
      EXPECT_EQ(oai->pendingCommands(), 0u);
      EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
      EXPECT_EQ(seen.callCount(), 0);
      if (HasFailure()) return;
    }
  }
}

}  // namespace
