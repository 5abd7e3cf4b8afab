// The envelope readers on attribute and child forms, the 403 body reader,
// and the envelope checks.
#include <gtest/gtest.h>
#include <libxml++/libxml++.h>

#include "service/KVService.h"

namespace {

using W::KVService;

// Parses `xml` and returns its root element (owned by the parser).
class Doc {
 public:
  explicit Doc(const std::string& xml) { m_parser.parse_memory(xml); }
  xmlpp::Element* root() { return m_parser.get_document()->get_root_node(); }

 private:
  xmlpp::DomParser m_parser;
};

TEST(EntryContent, AttributeWinsOverChildElement) {
  Doc doc("<g groupId='attr'><groupId>child</groupId><name>n</name><empty/></g>");
  EXPECT_EQ(KVService::getEntryContent("groupId", doc.root()), "attr");
  EXPECT_EQ(KVService::getEntryContent("name", doc.root()), "n");
  EXPECT_EQ(KVService::getEntryContent("empty", doc.root()), "");
  EXPECT_EQ(KVService::getEntryContent("absent", doc.root()), "");
  EXPECT_EQ(KVService::getEntryContent("name", nullptr), "");
}

TEST(EntryContent, TakesTheFirstChildOfThatName) {
  Doc doc("<g><a>first</a><a>second</a><b><![CDATA[x&y]]></b></g>");
  EXPECT_EQ(KVService::getEntryContent("a", doc.root()), "first");
  EXPECT_EQ(KVService::getEntryContent("b", doc.root()), "x&y");
}

TEST(ResponseStatus, ReadsStatOrNothing) {
  struct Row {
    const char* xml;
    const char* stat;
  };
  const Row rows[] = {
      {"<result><stat>ok</stat><desc>fine</desc></result>", "ok"},
      {"<result><stat>fail</stat></result>", "fail"},
      {"<result><desc>no stat</desc></result>", ""},
      {"<result><stat/></result>", ""},
      {"<result stat='ok'/>", ""},
  };
  for (const Row& row : rows) {
    Doc doc(row.xml);
    EXPECT_EQ(KVService::getReponseStatus(doc.root()), row.stat) << row.xml;
  }
  EXPECT_EQ(KVService::getReponseStatus(nullptr), "");
}

TEST(ResponseInfo, GivesDescriptionAndStatusWord) {
  Doc doc("<result><stat>fail</stat><desc>bad token</desc></result>");
  std::string stat = "stale";
  EXPECT_EQ(KVService::extractRespInfo(doc.root(), stat), "bad token");
  EXPECT_EQ(stat, "fail");
  stat = "stale";
  EXPECT_EQ(KVService::extractRespInfo(nullptr, stat), "");
  EXPECT_EQ(stat, "");
}

TEST(ErrorString, AttributesWinOverChildren) {
  struct Row {
    const char* xml;
    const char* code;
    const char* desc;
  };
  const Row rows[] = {
      {"<error code='206' desc='expired'><code>100</code><desc>other</desc></error>", "206",
       "expired"},
      {"<error><code>203</code><desc>denied</desc></error>", "203", "denied"},
      {"<error code='207'><desc>child desc</desc></error>", "207", "child desc"},
      {"<error/>", "", ""},
  };
  for (const Row& row : rows) {
    Doc doc(row.xml);
    std::string code = "stale";
    EXPECT_EQ(KVService::extractErrorString(doc.root(), code), row.desc) << row.xml;
    EXPECT_EQ(code, row.code) << row.xml;
  }
}

TEST(ErrorString, ReadsTheCodeOfA403Body) {
  struct Row {
    const char* body;
    const char* code;
  };
  const Row rows[] = {
      {"Status=refused\nError=206\nMessage=expired\n", "206"},
      {"Error=203", "203"},
      {"Error=209\r\nx", "209"},
      {"no code here", ""},
      {"Error=\n", ""},
      {"", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(KVService::extractErrorString(std::string(row.body)), row.code);
}

TEST(Envelope, RejectsWhatIsNotAnRspDocumentWithChildren) {
  const char* bad[] = {
      "",
      "not xml",
      "<rsp><result>",
      "<other><result/></other>",
      "<rsp/>",
      "<?xml version='1.0'?>",
  };
  for (const char* payload : bad) {
    xmlpp::DomParser parser;
    std::list<xmlpp::Node*> children;
    testing::internal::CaptureStdout();
    EXPECT_EQ(KVService::openEnvelope(payload, parser, children), -16) << payload;
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("#ERROR WSTATUS:WSTATUS_FAILURE(-16)\tFILE:src/KVService(", 0), 0u)
        << payload;
    EXPECT_TRUE(children.empty());
  }
  xmlpp::DomParser parser;
  std::list<xmlpp::Node*> children;
  EXPECT_EQ(KVService::openEnvelope("<rsp><result/><data/></rsp>", parser, children), 0);
  EXPECT_EQ(children.size(), 2u);
}

TEST(Envelope, DoesNotExpandExternalEntities) {
  xmlpp::DomParser parser;
  std::list<xmlpp::Node*> children;
  const char* xml =
      "<?xml version='1.0'?><!DOCTYPE rsp [<!ENTITY x SYSTEM 'file:///etc/passwd'>]>"
      "<rsp><data><v>&x;</v></data></rsp>";
  testing::internal::CaptureStdout();
  W::WSTATUS status = KVService::openEnvelope(xml, parser, children);
  testing::internal::GetCapturedStdout();
  if (status == 0) {
    ASSERT_FALSE(children.empty());
    EXPECT_EQ(KVService::getEntryContent("v", children.front()).find("root:"), std::string::npos);
  }
}

}  // namespace
