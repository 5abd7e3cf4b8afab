// The two-step upload: slot request, then the multipart post checked for its
// part name, its body and the size announced in the slot.
#include <cstring>

#include "KvsimTestSupport.h"
#include "MediaBytes.h"

namespace kvsim_test {
namespace {

class UploadTest : public ServerFixture {
 protected:
  // Asks g1 for a slot and returns the new content UID ("" on failure).
  std::string slot(const std::string& form) {
    auto res = post("g1/upload", form);
    if (!res || res->status != 200) return "";
    const std::string data = dataOf(res->body);
    size_t start = data.find("<contentId>") + 11;
    std::string uid = data.substr(start, data.find('<', start) - start);
    EXPECT_EQ(data, "<contentId>" + uid + "</contentId><uploadUrl>" + base() + "/upload/" + uid +
                        "</uploadUrl>");
    return uid;
  }
  httplib::Result upload(const std::string& uid, const std::string& part, const std::string& bytes,
                         const std::string& type = "image/jpeg") {
    httplib::MultipartFormDataItems items = {{part, bytes, "picture.jpg", type}};
    return m_client->Post(("/upload/" + uid).c_str(), signedHeaders(), items);
  }
};

TEST_F(UploadTest, UploadedPhotoJoinsTheFeedAndServesItsBytes) {
  const std::string photo = kvsim::makeJpeg(64, 48, "upload test");
  std::string uid =
      slot("type=photo&description=Snow+%26+ice&file_size=" + std::to_string(photo.size()));
  ASSERT_EQ(uid, "c1042");
  // Not in the feed before its file arrives.
  EXPECT_EQ(get("c1042/view")->status, 404);

  auto res = upload(uid, "filename", photo);
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200) << res->body;
  const std::string data = dataOf(res->body);
  EXPECT_EQ(data.find("<contentId>c1042</contentId><contentType>photo</contentType>"), 0u);
  EXPECT_NE(data.find("<contentDesc>Snow &amp; ice</contentDesc>"), std::string::npos);
  EXPECT_NE(data.find("<contentUrl>" + base() +
                      "/media/contents/c1042/upload.jpg</contentUrl>"
                      "<size>" +
                      std::to_string(photo.size()) + "</size><format>jpg</format>"),
            std::string::npos);

  auto feed = get("g1/feeds?&search_before=0&search_count=1");
  EXPECT_EQ(dataOf(feed->body).find("<content><contentId>c1042</contentId>"), 0u);
  auto media = m_client->Get("/media/contents/c1042/upload.jpg");
  ASSERT_TRUE(media);
  EXPECT_EQ(media->get_header_value("Content-Type"), "image/jpeg");
  EXPECT_EQ(media->body, photo);
  EXPECT_EQ(m_client->Get("/media/contents/c1042/thumb_540X405.jpg")->status, 200);
}

TEST_F(UploadTest, MultipartIsCheckedAgainstTheSlot) {
  struct Row {
    const char* name;
    std::string slotForm;
    std::string part;
    std::string bytes;
    int status;
    const char* bodyStart;
  } rows[] = {
      {"announced size matches", "type=photo&file_size=5", "filename", "12345", 200, "<?xml"},
      {"no size announced", "type=photo", "filename", "1234567", 200, "<?xml"},
      {"size differs", "type=photo&file_size=6", "filename", "12345", 403, "Error=209\n"},
      {"empty file", "type=photo", "filename", "", 403, "Error=209\n"},
      {"wrong part name", "type=photo&file_size=5", "file", "12345", 400, "expected a part"},
  };
  for (const Row& r : rows) {
    std::string uid = slot(r.slotForm);
    ASSERT_FALSE(uid.empty()) << r.name;
    auto res = upload(uid, r.part, r.bytes);
    ASSERT_TRUE(res) << r.name;
    EXPECT_EQ(res->status, r.status) << r.name << ": " << res->body;
    EXPECT_EQ(res->body.compare(0, std::strlen(r.bodyStart), r.bodyStart), 0)
        << r.name << ": " << res->body;
  }
}

TEST_F(UploadTest, SlotAndTargetRefusals) {
  EXPECT_EQ(post("g1/upload", "type=document")->body.substr(0, 10), "Error=105\n");
  EXPECT_EQ(post("g1/upload", "type=photo&file_size=0")->body.substr(0, 10), "Error=105\n");
  EXPECT_EQ(post("g7/upload", "type=photo")->status, 404);
  EXPECT_EQ(upload("c4242", "filename", "x")->status, 404);
  EXPECT_EQ(upload("c1001", "filename", "x")->body.substr(0, 10), "Error=203\n");  // already there
  std::string uid = slot("type=photo");
  auto plain = m_client->Post(("/upload/" + uid).c_str(), signedHeaders(), "raw", "image/jpeg");
  EXPECT_EQ(plain->status, 400);
  auto unsigned_ = m_client->Post(("/upload/" + uid).c_str(),
                                  httplib::MultipartFormDataItems{{"filename", "x", "a.jpg", ""}});
  EXPECT_EQ(unsigned_->status, 401);
  ASSERT_EQ(upload(uid, "filename", "x")->status, 200);
  EXPECT_EQ(upload(uid, "filename", "x")->status, 403);  // a slot takes one file
}

}  // namespace
}  // namespace kvsim_test
