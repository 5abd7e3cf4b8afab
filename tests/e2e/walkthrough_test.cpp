// The family walk-through and paging, end to end: kvhost, the real plug-in
// and executor, and kvsim; checked on kvhost's JSON and on kvsim's log.
#include <gtest/gtest.h>

#include "E2eSupport.h"

namespace e2e {
namespace {

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
nlohmann::json expectOk(const Kvsim& sim, const std::vector<std::string>& args,
                        const std::string& op, long long status = 0) {
  HostRun run = runKvhost(sim, args);
  EXPECT_EQ(run.process.exitCode, 0) << run.describe();
  const nlohmann::json& line = run.last(op);
  EXPECT_EQ(number(line, "/status"), status) << run.describe();
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
  EXPECT_EQ(text(reg.lines[0], "/status_name"), "WSTATUS_SUCCESS");
  EXPECT_EQ(sim.logLinesWith({"POST " + kService + "register ", "app_id=kvdemo-app",
                              "duid=kvdemo-tv-0001", "sig=ok", "code=200"})
                .size(),
            1u);

  SCOPED_TRACE("groups");
  HostRun groups = runKvhost(sim, {"groups"});
  ASSERT_EQ(groups.lines.size(), 2u) << groups.describe();
  EXPECT_EQ(text(groups.lines[0], "/op"), "auth");
  const nlohmann::json& list = groups.last("groups");
  EXPECT_EQ(number(list, "/status"), 0);
  ASSERT_EQ(field(list, "/groups").size(), 2u);
  EXPECT_EQ(text(list, "/groups/0/uid"), "g1");
  EXPECT_EQ(text(list, "/groups/0/name"), "Family");
  EXPECT_EQ(text(list, "/groups/0/master/name"), "Alex Kim");
  EXPECT_EQ(text(list, "/groups/1/name"), "Grandparents");
  EXPECT_EQ(sim.logLinesWith({"GET " + kService +
                                  "me/group.list query=search_index=0&search_count=10"
                                  "&option_sort=alphabetical&option_include=none ",
                              "sig=ok", "code=200"})
                .size(),
            1u);

  SCOPED_TRACE("group-create");
  const nlohmann::json created =
      expectOk(sim, {"group-create", "Picnic & Friends", "--desc", "Summer 100%"}, "group-create");
  const std::string group = text(created, "/groups/0/uid");
  ASSERT_FALSE(group.empty());
  EXPECT_EQ(text(created, "/groups/0/name"), "Picnic & Friends");
  EXPECT_EQ(text(created, "/groups/0/description"), "Summer 100%");
  const std::string createBody = "group_name=Picnic+%26+Friends&group_desc=Summer+100%25";
  EXPECT_EQ(sim.logLinesWith({"POST " + kService + "me/group.create ",
                              "body=" + std::to_string(createBody.size()) + " ", "code=200"})
                .size(),
            1u);

  SCOPED_TRACE("upload");
  const std::string photoBytes = jpegLike(48 * 1024);
  const std::string photo = dir.write("picnic.jpg", photoBytes);
  const nlohmann::json uploaded =
      expectOk(sim, {"upload", group, photo, "--desc", "Picnic table"}, "upload");
  const std::string uid = text(uploaded, "/contents/0/uid");
  ASSERT_FALSE(uid.empty()) << "the new content's UID comes from the upload answer";
  EXPECT_EQ(text(uploaded, "/group"), group);
  EXPECT_EQ(text(uploaded, "/file"), photo);
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
  const nlohmann::json feed = expectOk(sim, {"feed", group, "--before", "latest"}, "feed");
  ASSERT_EQ(field(feed, "/contents").size(), 1u);
  EXPECT_EQ(text(feed, "/contents/0/uid"), uid);
  EXPECT_EQ(text(feed, "/contents/0/description"), "Picnic table");
  EXPECT_EQ(sim.logLinesWith({"GET " + kService + group +
                              "/feeds query=&search_before=latest"
                              "&search_count=30&search_base=created_time&option_item=all"
                              "&option_include=none "})
                .size(),
            1u);

  SCOPED_TRACE("view");
  const nlohmann::json viewed = expectOk(sim, {"view", uid}, "view");
  EXPECT_EQ(text(viewed, "/contents/0/uid"), uid);
  EXPECT_EQ(text(viewed, "/contents/0/user/name"), "Alex Kim");
  EXPECT_EQ(text(viewed, "/contents/0/description"), "Picnic table");

  SCOPED_TRACE("comment");
  const std::string commentText = "Great picnic! <3 & \"more\"";
  expectOk(sim, {"comment", uid, commentText}, "comment");
  const std::string commentBody = "commentText=Great+picnic%21+%3C3+%26+%22more%22";
  EXPECT_EQ(sim.logLinesWith({"POST " + kService + uid + "/comment ",
                              "body=" + std::to_string(commentBody.size()) + " ", "code=200"})
                .size(),
            1u);

  SCOPED_TRACE("comments");
  const nlohmann::json comments = expectOk(sim, {"comments", uid}, "comments");
  ASSERT_EQ(field(comments, "/comments").size(), 1u);
  EXPECT_EQ(text(comments, "/comments/0/text"), commentText);
  EXPECT_EQ(text(comments, "/comments/0/user/name"), "Alex Kim");
  const std::string commentUid = text(comments, "/comments/0/uid");
  ASSERT_FALSE(commentUid.empty());

  SCOPED_TRACE("comment-view");
  const nlohmann::json oneComment = expectOk(sim, {"comment-view", commentUid}, "comment-view");
  EXPECT_EQ(text(oneComment, "/comments/0/uid"), commentUid);
  EXPECT_EQ(text(oneComment, "/comments/0/text"), commentText);

  SCOPED_TRACE("comment-delete");
  expectOk(sim, {"comment-delete", commentUid}, "comment-delete");
  EXPECT_EQ(field(expectOk(sim, {"comments", uid}, "comments"), "/comments").size(), 0u);

  SCOPED_TRACE("delete");
  expectOk(sim, {"delete", uid}, "delete");
  HostRun gone = runKvhost(sim, {"view", uid});
  EXPECT_EQ(gone.process.exitCode, 1);
  EXPECT_EQ(number(gone.last("view"), "/status"), -205) << gone.describe();
  EXPECT_EQ(text(gone.last("view"), "/contents/0/uid"), uid) << "the asked-for content";

  SCOPED_TRACE("group-delete");
  expectOk(sim, {"group-delete", group}, "group-delete");
  const nlohmann::json after = expectOk(sim, {"groups"}, "groups");
  EXPECT_EQ(field(after, "/groups").size(), 2u);
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
  const nlohmann::json view = expectOk(sim, {"view", "c1001"}, "view");
  const std::string thumbnail = text(view, "/contents/0/thumbnails/0/url");
  const std::string photoUrl = text(view, "/contents/0/url");
  ASSERT_FALSE(thumbnail.empty());
  ASSERT_FALSE(photoUrl.empty());

  SCOPED_TRACE("download");
  const nlohmann::json stored = expectOk(sim, {"download", thumbnail, dir.path()}, "download");
  const std::string name = thumbnail.substr(thumbnail.rfind('/') + 1);
  EXPECT_EQ(text(stored, "/name"), name);
  const std::string thumbBytes = readFile(dir.path() + "/" + name);
  EXPECT_GT(thumbBytes.size(), 100u);
  EXPECT_EQ(thumbBytes.compare(0, 2, "\xff\xd8"), 0) << "a JPEG";

  SCOPED_TRACE("download with a name");
  expectOk(sim, {"download", thumbnail, dir.path(), "small.jpg"}, "download");
  EXPECT_EQ(readFile(dir.path() + "/small.jpg"), thumbBytes);

  SCOPED_TRACE("fetch");
  const std::string copy = dir.path() + "/fetched.jpg";
  const nlohmann::json fetched = expectOk(sim, {"fetch", photoUrl, "--out", copy}, "fetch");
  const std::string photoBytes = readFile(copy);
  EXPECT_GT(photoBytes.size(), 100u);
  EXPECT_EQ(number(fetched, "/bytes"), static_cast<long long>(photoBytes.size()));
  EXPECT_EQ(
      sim.logLinesWith({"GET " + photoUrl.substr(sim.baseUrl().size()) + " ", "code=200"}).size(),
      1u);

  SCOPED_TRACE("mime");
  const nlohmann::json probed = expectOk(sim, {"mime", thumbnail}, "mime");
  EXPECT_EQ(text(probed, "/mime"), "image/jpeg");
  EXPECT_EQ(number(probed, "/http_code"), 200);
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
      {{"groups", "--index", "1", "--count", "1", "--include", "all"},
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
      {{"feed", "g2", "--after", "0", "--count", "3", "--item", "photo"},
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
    const nlohmann::json& line = run.last(c.op);
    EXPECT_EQ(number(line, "/status"), c.status) << run.describe();
    EXPECT_EQ(field(line, std::string("/") + c.list).size(), c.items) << run.describe();
    EXPECT_EQ(sim.logLinesWith({c.query, "code=200"}).size(), 1u);
  }
  HostRun second = runKvhost(sim, {"comments", "c1001", "--index", "1", "--count", "1"});
  EXPECT_EQ(text(second.last("comments"), "/comments/0/uid"), "m2002");
}

}  // namespace
}  // namespace e2e
