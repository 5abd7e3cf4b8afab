// The tests' JSON reader: what kvhost writes must read back exactly.
#include <gtest/gtest.h>

#include "JsonValue.h"

namespace e2e {
namespace {

TEST(JsonValue, ReadsKvhostLines) {
  JsonValue v;
  ASSERT_TRUE(
      JsonValue::parse("{\"op\":\"groups\",\"status\":-205,\"ok\":true,\"none\":null,"
                       "\"groups\":[{\"uid\":\"g1\",\"name\":\"T\\u00e9st \\\"q\\\"\\n\"},{}]}",
                       v));
  EXPECT_EQ(v["op"].text(), "groups");
  EXPECT_EQ(v["status"].integer(), -205);
  EXPECT_EQ(v["groups"].size(), 2u);
  EXPECT_EQ(v["groups"][0]["name"].text(), "T\xc3\xa9st \"q\"\n");
  EXPECT_TRUE(v["none"].isNull());
  EXPECT_TRUE(v["missing"].isNull());
  EXPECT_TRUE(v["groups"][5].isNull());
}

TEST(JsonValue, RefusesBrokenText) {
  const char* const cases[] = {
      "", "{", "{\"a\":}", "[1,]", "{\"a\":1} x", "\"raw\ttab\"", "{'a':1}", "[\"\\x\"]"};
  for (const char* text : cases) {
    JsonValue v;
    EXPECT_FALSE(JsonValue::parse(text, v)) << text;
  }
}

}  // namespace
}  // namespace e2e
