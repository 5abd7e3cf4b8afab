// The family walk-through and paging, end to end: kvhost, the real plug-in
// and executor, and kvsim; checked on kvhost's JSON and on kvsim's log.
#include <gtest/gtest.h>

#include "E2eSupport.h"

namespace e2e {
namespace {

const std::string kService = "/openapi/service/kinvale/";

// Bytes that start and end like a JPEG; content varies with `size`.
std::string jpegLike(size_t size) {
  std::string bytes = "\xff\xd8\xff\xe0";
  unsigned state = static_cast<unsigned>(size);
  while (bytes.size() < size - 2) {
    state = state * 1103515245u + 12345u;
    bytes += static_cast<char>(state >> 24);
  }
  return bytes + "\xff\xd9";
}

// Runs one kvhost command that must succeed and returns its result line.
JsonValue expectOk(const Kvsim& sim, const std::vector<std::string>& args, const std::string& op,
                   long long status = 0) {
  HostRun run = runKvhost(sim, args);
  EXPECT_EQ(run.process.exitCode, 0) << run.describe();
  const JsonValue& line = run.last(op);
  EXPECT_EQ(line["status"].integer(), status) << run.describe();
  return line;
}

TEST(Walkthrough, FamilyMemberCreatesUploadsCommentsAndCleansUp) {
  Kvsim sim;
  ASSERT_TRUE(sim.running()) << sim.startError();
  TempDir dir;

  SCOPED_TRACE("register");
  HostRun reg = runKvhost(sim, {"register"});
  EXPECT_EQ(reg.process.exitCode, 0) << reg.describe();
  ASSERT_EQ(reg.lines.size(), 1u) << "register runs without auth";
  EXPECT_EQ(reg.lines[0]["status_name"].text(), "WSTATUS_SUCCESS");
  EXPECT_EQ(sim.logLinesWith({"POST " + kService + "register ", "app_id=kvdemo-app",
                              "duid=kvdemo-tv-0001", "sig=ok", "code=200"})
                .size(),
            1u);

  SCOPED_TRACE("groups");
  HostRun groups = runKvhost(sim, {"groups"});
  ASSERT_EQ(groups.lines.size(), 2u) << groups.describe();
  EXPECT_EQ(groups.lines[0]["op"].text(), "auth");
  const JsonValue& list = groups.last("groups");
  EXPECT_EQ(list["status"].integer(), 0);
  ASSERT_EQ(list["groups"].size(), 2u);
  EXPECT_EQ(list["groups"][0]["uid"].text(), "g1");
  EXPECT_EQ(list["groups"][0]["name"].text(), "Family");
  EXPECT_EQ(list["groups"][0]["master"].text(), "Alex Kim");
  EXPECT_EQ(list["groups"][1]["name"].text(), "Grandparents");
  EXPECT_EQ(sim.logLinesWith({"GET " + kService +
                                  "me/group.list query=search_index=0&search_count=10"
                                  "&option_sort=alphabetical&option_include=none ",
                              "sig=ok", "code=200"})
                .size(),
            1u);

  SCOPED_TRACE("group-create");
  const JsonValue created =
      expectOk(sim, {"group-create", "Picnic & Friends", "--desc", "Summer 100%"}, "group-create");
  const std::string group = created["groups"][0]["uid"].text();
  ASSERT_FALSE(group.empty());
  EXPECT_EQ(created["groups"][0]["name"].text(), "Picnic & Friends");
  EXPECT_EQ(created["groups"][0]["description"].text(), "Summer 100%");
  const std::string createBody = "group_name=Picnic+%26+Friends&group_desc=Summer+100%25";
  EXPECT_EQ(sim.logLinesWith({"POST " + kService + "me/group.create ",
                              "body=" + std::to_string(createBody.size()) + " ", "code=200"})
                .size(),
            1u);

  SCOPED_TRACE("upload");
  const std::string photoBytes = jpegLike(48 * 1024);
  const std::string photo = dir.write("picnic.jpg", photoBytes);
  const JsonValue uploaded =
      expectOk(sim, {"upload", group, photo, "--desc", "Picnic table"}, "upload");
  const JsonValue& content = uploaded["contents"][0];
  const std::string uid = content["uid"].text();
  ASSERT_FALSE(uid.empty()) << "the new content's UID comes from the upload answer";
  EXPECT_EQ(uploaded["group"].text(), group);
  EXPECT_EQ(uploaded["file"].text(), photo);
  const std::string slotBody = "type=photo&description=Picnic+table&file_size=49152";
  EXPECT_EQ(sim.logLinesWith({"POST " + kService + group + "/upload ",
                              "body=" + std::to_string(slotBody.size()) + " ", "code=200"})
                .size(),
            1u);
  const auto target = sim.logLinesWith({"POST /upload/" + uid + " ", "code=200"});
  ASSERT_EQ(target.size(), 1u);
  const size_t at = target[0].find(" body=") + 6;
  EXPECT_GT(std::stoul(target[0].substr(at)), photoBytes.size()) << "multipart carries the file";

  SCOPED_TRACE("feed");
  const JsonValue feed = expectOk(sim, {"feed", group, "--before", "latest"}, "feed");
  ASSERT_EQ(feed["contents"].size(), 1u);
  EXPECT_EQ(feed["contents"][0]["uid"].text(), uid);
  EXPECT_EQ(feed["contents"][0]["description"].text(), "Picnic table");
  EXPECT_EQ(sim.logLinesWith({"GET " + kService + group +
                              "/feeds query=&search_before=latest"
                              "&search_count=30&search_base=created_time&option_item=all"
                              "&option_include=none "})
                .size(),
            1u);

  SCOPED_TRACE("view");
  const JsonValue viewed = expectOk(sim, {"view", uid}, "view");
  EXPECT_EQ(viewed["contents"][0]["uid"].text(), uid);
  EXPECT_EQ(viewed["contents"][0]["user"].text(), "Alex Kim");
  EXPECT_EQ(viewed["contents"][0]["description"].text(), "Picnic table");

  SCOPED_TRACE("comment");
  const std::string text = "Great picnic! <3 & \"more\"";
  expectOk(sim, {"comment", uid, text}, "comment");
  const std::string commentBody = "commentText=Great+picnic%21+%3C3+%26+%22more%22";
  EXPECT_EQ(sim.logLinesWith({"POST " + kService + uid + "/comment ",
                              "body=" + std::to_string(commentBody.size()) + " ", "code=200"})
                .size(),
            1u);

  SCOPED_TRACE("comments");
  const JsonValue comments = expectOk(sim, {"comments", uid}, "comments");
  ASSERT_EQ(comments["comments"].size(), 1u);
  EXPECT_EQ(comments["comments"][0]["text"].text(), text);
  EXPECT_EQ(comments["comments"][0]["user"].text(), "Alex Kim");
  const std::string commentUid = comments["comments"][0]["uid"].text();
  ASSERT_FALSE(commentUid.empty());

  SCOPED_TRACE("comment-view");
  const JsonValue oneComment = expectOk(sim, {"comment-view", commentUid}, "comment-view");
  EXPECT_EQ(oneComment["comments"][0]["uid"].text(), commentUid);
  EXPECT_EQ(oneComment["comments"][0]["text"].text(), text);

  SCOPED_TRACE("comment-delete");
  expectOk(sim, {"comment-delete", commentUid}, "comment-delete");
  EXPECT_EQ(expectOk(sim, {"comments", uid}, "comments")["comments"].size(), 0u);

  SCOPED_TRACE("delete");
  expectOk(sim, {"delete", uid}, "delete");
  HostRun gone = runKvhost(sim, {"view", uid});
  EXPECT_EQ(gone.process.exitCode, 1);
  EXPECT_EQ(gone.last("view")["status"].integer(), -205) << gone.describe();
  EXPECT_EQ(gone.last("view")["contents"][0]["uid"].text(), uid) << "the asked-for content";

  SCOPED_TRACE("group-delete");
  expectOk(sim, {"group-delete", group}, "group-delete");
  const JsonValue after = expectOk(sim, {"groups"}, "groups");
  EXPECT_EQ(after["groups"].size(), 2u);
  EXPECT_EQ(
      sim.logLinesWith({"POST " + kService + "me/group.delete ",
                        "body=" + std::to_string(("groupID=" + group).size()) + " ", "code=200"})
          .size(),
      1u);
}

TEST(Walkthrough, MediaComesBackThroughBothDownloadsAndTheProbe) {
  Kvsim sim;
  ASSERT_TRUE(sim.running()) << sim.startError();
  TempDir dir;
  const JsonValue view = expectOk(sim, {"view", "c1001"}, "view");
  const std::string thumbnail = view["contents"][0]["thumbnail"].text();
  const std::string photoUrl = view["contents"][0]["url"].text();
  ASSERT_FALSE(thumbnail.empty());
  ASSERT_FALSE(photoUrl.empty());

  SCOPED_TRACE("download");
  const JsonValue stored = expectOk(sim, {"download", thumbnail, dir.path()}, "download");
  const std::string name = thumbnail.substr(thumbnail.rfind('/') + 1);
  EXPECT_EQ(stored["name"].text(), name);
  const std::string thumbBytes = readFile(dir.path() + "/" + name);
  EXPECT_GT(thumbBytes.size(), 100u);
  EXPECT_EQ(thumbBytes.compare(0, 2, "\xff\xd8"), 0) << "a JPEG";

  SCOPED_TRACE("download with a name");
  expectOk(sim, {"download", thumbnail, dir.path(), "small.jpg"}, "download");
  EXPECT_EQ(readFile(dir.path() + "/small.jpg"), thumbBytes);

  SCOPED_TRACE("fetch");
  const std::string copy = dir.path() + "/fetched.jpg";
  const JsonValue fetched = expectOk(sim, {"fetch", photoUrl, "--out", copy}, "fetch");
  const std::string photoBytes = readFile(copy);
  EXPECT_GT(photoBytes.size(), 100u);
  EXPECT_EQ(fetched["bytes"].integer(), static_cast<long long>(photoBytes.size()));
  EXPECT_EQ(
      sim.logLinesWith({"GET " + photoUrl.substr(sim.baseUrl().size()) + " ", "code=200"}).size(),
      1u);

  SCOPED_TRACE("mime");
  const JsonValue probed = expectOk(sim, {"mime", thumbnail}, "mime");
  EXPECT_EQ(probed["mime"].text(), "image/jpeg");
  EXPECT_EQ(probed["http_code"].integer(), 200);
}

TEST(Paging, ListsLongerThanAskedEndWithMoreItems) {
  Kvsim sim;
  ASSERT_TRUE(sim.running()) << sim.startError();
  const struct {
    std::vector<std::string> args;
    const char* op;
    const char* list;
    long long status;
    size_t items;
    const char* query;  // the query kvsim received
  } cases[] = {
      {{"groups", "--count", "1"},
       "groups",
       "groups",
       100,
       2,
       "query=search_index=0&search_count=1&option_sort=alphabetical&option_include=none "},
      {{"groups", "--count", "2", "--sort", "1"},
       "groups",
       "groups",
       0,
       2,
       "query=search_index=0&search_count=2&option_sort=created_time&option_include=none "},
      {{"groups", "--index", "1", "--count", "1", "--include", "5"},
       "groups",
       "groups",
       0,
       2,
       "query=search_index=1&search_count=1&option_sort=alphabetical&&option_include="
       "creator,member,usage,new "},
      {{"feed", "g1", "--before", "latest", "--count", "5"},
       "feed",
       "contents",
       100,
       6,
       "query=&search_before=latest&search_count=5&search_base=created_time&option_item=all"
       "&option_include=none "},
      {{"feed", "g2", "--after", "0", "--count", "3", "--item", "1"},
       "feed",
       "contents",
       0,
       3,
       "query=&search_after=0&search_count=3&search_base=created_time&option_item=photo"
       "&option_include=none "},
      {{"comments", "c1001", "--index", "1", "--count", "1"},
       "comments",
       "comments",
       0,
       1,
       "query=search_index=1&search_count=1 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    HostRun run = runKvhost(sim, c.args);
    EXPECT_EQ(run.process.exitCode, 0) << run.describe();
    const JsonValue& line = run.last(c.op);
    EXPECT_EQ(line["status"].integer(), c.status) << run.describe();
    EXPECT_EQ(line[c.list].size(), c.items) << run.describe();
    EXPECT_EQ(sim.logLinesWith({c.query, "code=200"}).size(), 1u);
  }
  HostRun second = runKvhost(sim, {"comments", "c1001", "--index", "1", "--count", "1"});
  EXPECT_EQ(second.last("comments")["comments"][0]["uid"].text(), "m2002");
}

}  // namespace
}  // namespace e2e
