#include <gtest/gtest.h>

#include "platform/HostPath.h"

TEST(PathConversion, RoundTripsEveryPlane) {
  const std::string host = "/tmp/Prof\xC3\xADl/\xE6\x97\xA5\xE6\x9C\xAC/\xF0\x9F\x98\x80.txt";
  const auto system = ToSystemPath(host);
  ASSERT_TRUE(system);
  EXPECT_EQ(*system, u"\\tmp\\Prof\u00EDl\\\u65E5\u672C\\\U0001F600.txt");
  EXPECT_EQ(ToHostPath(*system), host);
}

TEST(PathConversion, RefusesWhatCannotCrossUnchanged) {
  EXPECT_FALSE(ToSystemPath("/tmp/bad\xFF"));
  EXPECT_FALSE(ToSystemPath("/tmp/over\xC0\xAFlong"));
  EXPECT_FALSE(ToSystemPath("/tmp/surrogate\xED\xA0\x80"));
  EXPECT_FALSE(ToSystemPath("/tmp/back\\slash"));
  EXPECT_FALSE(ToHostPath(WideString(u"\\tmp\\") + char16_t(0xD800)));
  EXPECT_FALSE(ToHostPath(WideString(u"\\tmp\\a\0b", 9)));
}

TEST(PathConversion, LossyFormsMarkIllFormedUnits) {
  EXPECT_EQ(Utf8ToUtf16Lossy("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf16ToUtf8Lossy(WideString(u"a") + char16_t(0xDC00)), "a\xEF\xBF\xBD");
}
