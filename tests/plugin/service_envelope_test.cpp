// The envelope readers on attribute and child forms, the 403 body reader,
// and the envelope checks.
#include <gtest/gtest.h>
#include <libxml++/libxml++.h>
#include <libxml/globals.h>
#include <libxml/parser.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "TestFiles.h"
#include "XmlTestDoc.h"
#include "service/KVService.h"
#include "service/KVXmlAnswer.h"

namespace {

using W::KVService;

TEST(EntryContent, AttributeWinsOverChildElement) {
  kvtest::XmlDoc doc("<g groupId='attr'><groupId>child</groupId><name>n</name><empty/></g>");
  EXPECT_EQ(KVService::getEntryContent("groupId", doc.root()), "attr");
  EXPECT_EQ(KVService::getEntryContent("name", doc.root()), "n");
  EXPECT_EQ(KVService::getEntryContent("empty", doc.root()), "");
  EXPECT_EQ(KVService::getEntryContent("absent", doc.root()), "");
  EXPECT_EQ(KVService::getEntryContent("name", nullptr), "");
}

TEST(EntryContent, TakesTheFirstChildOfThatName) {
  kvtest::XmlDoc doc("<g><a>first</a><a>second</a><b><![CDATA[x&y]]></b></g>");
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
    kvtest::XmlDoc doc(row.xml);
    EXPECT_EQ(KVService::getReponseStatus(doc.root()), row.stat) << row.xml;
  }
  EXPECT_EQ(KVService::getReponseStatus(nullptr), "");
}

TEST(ResponseInfo, GivesDescriptionAndStatusWord) {
  kvtest::XmlDoc doc("<result><stat>fail</stat><desc>bad token</desc></result>");
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
    kvtest::XmlDoc doc(row.xml);
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
  for (const Row& row : rows)
    EXPECT_EQ(KVService::extractErrorString(std::string(row.body)), row.code);
}

TEST(Envelope, RejectsWhatIsNotAnRspDocumentWithChildren) {
  const char* bad[] = {
      "", "not xml", "<rsp><result>", "<other><result/></other>", "<rsp/>", "<?xml version='1.0'?>",
  };
  for (const char* payload : bad) {
    W::KVXmlAnswer parser;
    std::list<xmlpp::Node*> children;
    testing::internal::CaptureStdout();
    EXPECT_EQ(KVService::openEnvelope(payload, parser, children), -16) << payload;
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind(
                  "#ERROR WSTATUS:WSTATUS_FAILURE(-16)\tFILE:src/KVService(", 0),
              0u)
        << payload;
    EXPECT_TRUE(children.empty());
  }
  W::KVXmlAnswer parser;
  std::list<xmlpp::Node*> children;
  EXPECT_EQ(KVService::openEnvelope("<rsp><result/><data/></rsp>", parser, children), 0);
  EXPECT_EQ(children.size(), 2u);
}

// libxml2's process-wide defaults, set as a TV process might have set them,
// restored at the end.
class HostileXmlDefaults {
 public:
  HostileXmlDefaults()
      : m_substitute(xmlSubstituteEntitiesDefault(1)),
        m_keepBlanks(xmlKeepBlanksDefault(0)),
        m_loadDtd(xmlLoadExtDtdDefaultValue),
        m_validate(xmlDoValidityCheckingDefaultValue) {
    xmlLoadExtDtdDefaultValue = XML_DETECT_IDS | XML_COMPLETE_ATTRS;
    xmlDoValidityCheckingDefaultValue = 1;
  }
  ~HostileXmlDefaults() {
    xmlSubstituteEntitiesDefault(m_substitute);
    xmlKeepBlanksDefault(m_keepBlanks);
    xmlLoadExtDtdDefaultValue = m_loadDtd;
    xmlDoValidityCheckingDefaultValue = m_validate;
  }

 private:
  int m_substitute, m_keepBlanks, m_loadDtd, m_validate;
};

// Elements nest 256 deep at most, the envelope's own included.
TEST(Envelope, AnswersNestUpTo256ElementsDeep) {
  for (const auto& row : {std::make_pair(256, 0), std::make_pair(257, -16)}) {
    std::string nested;
    for (int i = 1; i < row.first; ++i) nested = "<n>" + nested + "</n>";
    W::KVXmlAnswer parser;
    std::list<xmlpp::Node*> children;
    testing::internal::CaptureStdout();
    const W::WSTATUS status = KVService::openEnvelope(
        "<rsp><result><stat>ok</stat></result>" + nested + "</rsp>", parser, children);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, row.second) << "an answer " << row.first << " elements deep";
  }
}

// Answers never carry a DTD: one is refused before any of its entities is
// expanded or loaded, whatever the process's libxml2 defaults, and the
// documents that are answers parse the same under any defaults.
TEST(Envelope, ParsesUnderItsOwnOptionsWhateverTheProcessDefaults) {
  const kvtest::TempDir dir("kv-xxe");
  const std::string secret = dir.write("secret", "ok");
  const std::string refused[] = {
      "<!DOCTYPE rsp [<!ENTITY x SYSTEM 'file://" + secret +
          "'>]><rsp><result><stat>&x;</stat></result></rsp>",
      "<!DOCTYPE rsp [<!ENTITY x 'ok'>]><rsp><result><stat>&x;</stat></result></rsp>",
      "<!DOCTYPE rsp SYSTEM 'http://127.0.0.1:1/rsp.dtd'><rsp><result/></rsp>",
      "<!DOCTYPE rsp [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>"
      "<!ENTITY c '&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;'><!ENTITY d '&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;'>]>"
      "<rsp><result><stat>&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;</stat></result></rsp>",
      "<rsp><result><stat>&undeclared;</stat></result></rsp>",
      // A DTD that names no entity: refused for being a DTD.
      "<!DOCTYPE rsp [<!ELEMENT rsp ANY>]><rsp><result><stat>ok</stat></result><data/></rsp>",
      "<!DOCTYPE rsp><rsp><result><stat>ok</stat></result><data/></rsp>",
      [] {
        std::string deep;
        for (int i = 0; i < 300; ++i) deep = "<n>" + deep + "</n>";
        return "<rsp><result/>" + deep + "</rsp>";
      }(),
  };
  const std::string answer = "<rsp>\n  <result><stat>ok</stat></result>\n  <data/>\n</rsp>";
  for (bool hostile : {false, true}) {
    std::unique_ptr<HostileXmlDefaults> defaults(hostile ? new HostileXmlDefaults : nullptr);
    for (const std::string& payload : refused) {
      W::KVXmlAnswer parser;
      std::list<xmlpp::Node*> children;
      testing::internal::CaptureStdout();
      const W::WSTATUS status = KVService::openEnvelope(payload, parser, children);
      testing::internal::GetCapturedStdout();
      EXPECT_EQ(status, -16) << "an answer to refuse (hostile defaults: " << hostile
                             << "): " << payload;
    }
    W::KVXmlAnswer parser;
    std::list<xmlpp::Node*> children;
    ASSERT_EQ(KVService::openEnvelope(answer, parser, children), 0) << hostile;
    EXPECT_EQ(children.size(), 5u) << "blank text between elements stays, hostile=" << hostile;
  }
}

// The parse counts every node the tree would hold, but text: elements,
// attributes, namespace declarations, comments, processing instructions and
// CDATA sections. Each row holds exactly six.
TEST(Envelope, CountsEveryNodeAgainstMaxAnswerElements) {
  const char* rows[] = {
      "<rsp><a/><b/><c/><d/><e/></rsp>",
      "<rsp x='1' y='2'><a/><b/><c/></rsp>",
      "<rsp xmlns:k='urn:k'><a/><b/><c/><d/></rsp>",
      "<!--c--><rsp><!--c--><a/>text<b/><c/></rsp>",
      "<?pi data?><rsp><?pi?><a/><b/><c/></rsp>",
      "<rsp><a><![CDATA[x]]></a><b><![CDATA[y]]></b><c/></rsp>",
      "<rsp>a<a/>b<b/>c<c/>d<d/>e<e/>f</rsp>",
  };
  for (const char* payload : rows) {
    for (long long limit : {6, 5, 0}) {
      W::KVLimits limits;
      limits.maxAnswerElements = limit;
      W::KVXmlAnswer answer(limits);
      EXPECT_EQ(answer.parse(payload), limit != 5)
          << payload << " under max_answer_elements " << limit;
    }
  }
}

// Before libxml2 checks a tag's attributes against each other (one tag of a
// million would take hours), no element may carry more than 256. An "="
// inside a value, a text, a comment, a CDATA section or an instruction is no
// attribute.
TEST(Envelope, RefusesAnElementWithMoreThan256Attributes) {
  const auto element = [](int attributes, const std::string& value) {
    std::string tag = "<data";
    for (int i = 0; i < attributes; ++i) tag += " a" + std::to_string(i) + "='" + value + "'";
    return tag + "/>";
  };
  const std::string others = "<!--" + std::string(300, '=') + "--><![CDATA[" +
                             std::string(300, '=') + "]]><?pi " + std::string(300, '=') + "?>";
  const struct {
    std::string payload;
    bool parses;
  } rows[] = {
      {"<rsp>" + element(256, "") + "</rsp>", true},
      {"<rsp>" + element(257, "") + "</rsp>", false},
      {"<rsp>" + element(256, "a=b\"=c") + "</rsp>", true},
      {"<rsp><x>" + others + "</x>" + element(256, "") + "</rsp>", true},
      {"<rsp><x>" + std::string(300, '=') + "</x>" + element(256, "") + "</rsp>", true},
      {"<rsp><x>" + others + "</x>" + element(257, "") + "</rsp>", false},
  };
  for (const auto& row : rows) {
    W::KVXmlAnswer answer;
    EXPECT_EQ(answer.parse(row.payload), row.parses) << row.payload.substr(0, 80);
  }
}

// The text readers take from one answer counts against max_answer_bytes:
// past it an entry reads empty and the answer knows it was overrun. Texts
// of documents parsed elsewhere are not counted.
TEST(EntryContent, TextTakenFromAnAnswerIsBoundedByMaxAnswerBytes) {
  W::KVLimits limits;
  limits.maxAnswerBytes = 10;
  W::KVXmlAnswer answer(limits);
  ASSERT_TRUE(answer.parse("<rsp><e a='12345'>67890</e></rsp>"));
  const xmlpp::Node* e = answer.document()->get_root_node()->get_first_child();
  EXPECT_EQ(KVService::getEntryContent("a", e), "12345");
  EXPECT_EQ(KVService::getEntryContent("a", e), "12345");
  EXPECT_FALSE(answer.textOverrun()) << "10 bytes of 10";
  EXPECT_EQ(KVService::getEntryContent("a", e), "") << "past max_answer_bytes";
  EXPECT_TRUE(answer.textOverrun());

  kvtest::XmlDoc elsewhere("<e a='12345'/>");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(KVService::getEntryContent("a", elsewhere.root()), "12345");
}

}  // namespace
