// Comment records read from comment list answers and from content elements.
#include <gtest/gtest.h>

#include "OperationTestSupport.h"

namespace {

using kvtest::okAnswer;

class CommentParser : public kvtest::CapturedProvider {
 protected:
  W::WSTATUS parse(const std::string& payload) {
    return oai->parseString(payload, comments, count);
  }
  std::vector<W::WKVComment> list() {
    std::vector<W::WKVComment> out;
    for (const W::WComment& c : comments.getData()) out.emplace_back(c);
    return out;
  }

  W::WContainer<W::WComment> comments;
  W::UINT32 count = 0;
};

TEST_F(CommentParser, ReadsEveryFieldAndSkipsCommentsWithoutId) {
  ASSERT_EQ(
      parse(okAnswer("<comment commentId=\"cm-1\"><commentSize>5</commentSize>"
                     "<commentText>Tom &amp; Jerry = 100%</commentText>"
                     "<commentRegisterDate>2026-12-07 11:12:13</commentRegisterDate>"
                     "<commentCreator><userId>u-1</userId><userName>Ann</userName></commentCreator>"
                     "<commentCreator><userId>u-2</userId><userName>Bob</userName></commentCreator>"
                     "</comment>"
                     "<comment><commentText>no id</commentText></comment>"
                     "<comment><commentId>cm-2</commentId></comment>"
                     "<other commentId=\"x\"/>")),
      0);
  const std::vector<W::WKVComment> read = list();
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(count, 2u);
  const W::WKVComment& c = read[0];
  EXPECT_EQ(c.getUID(), "cm-1");
  EXPECT_EQ(c.getContentProvider().getID(), kvtest::provider().getID());
  EXPECT_EQ(c.getSize(), "5");
  EXPECT_EQ(c.getComment(), "Tom & Jerry = 100%");
  EXPECT_EQ(c.getRegisterDate().toString(), "2026-12-07 11:12:13");
  ASSERT_TRUE(c.hasUser());
  EXPECT_EQ(c.getUser().getUID(), "u-2") << "the last creator stays";
  EXPECT_EQ(c.getUser().getName(), "Bob");
  EXPECT_EQ(read[1].getUID(), "cm-2");
  EXPECT_FALSE(read[1].hasUser());
}

TEST_F(CommentParser, MalformedAndFailedAnswersReturnMinus16) {
  EXPECT_EQ(parse("<rsp><result><stat>fail</stat></result></rsp>"), -16);
  EXPECT_EQ(parse("<comments/>"), -16);
  EXPECT_EQ(parse(""), -16);
  EXPECT_TRUE(list().empty());
}

TEST_F(CommentParser, CancelLeavesNoComment) {
  ASSERT_EQ(oai->cancel(kvtest::provider(), nullptr, nullptr), 0);
  ASSERT_EQ(parse(okAnswer("<comment commentId=\"a\"/><comment commentId=\"b\"/>")), 0);
  EXPECT_TRUE(list().empty());
}

}  // namespace
