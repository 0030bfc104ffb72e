#include <gtest/gtest.h>

#include "platform/CommandLine.h"

using Args = std::vector<WideString>;

TEST(CommandLine, SplitsByTheWindowsRules) {
  EXPECT_EQ(SplitCommandLine(u""), Args{});
  EXPECT_EQ(SplitCommandLine(u"  a \tb  "), (Args{u"a", u"b"}));
  EXPECT_EQ(SplitCommandLine(u"\"a b\" c"), (Args{u"a b", u"c"}));
  EXPECT_EQ(SplitCommandLine(u"-user-data-dir=\"\\opt\\orvo\\Profile\" --x"),
            (Args{u"-user-data-dir=\\opt\\orvo\\Profile", u"--x"}));
  EXPECT_EQ(SplitCommandLine(u"\"say \"\"hi\"\"\""), (Args{u"say \"hi\""}));
  EXPECT_EQ(SplitCommandLine(u"\"say \\\"hi\\\"\""), (Args{u"say \"hi\""}));
  EXPECT_EQ(SplitCommandLine(u"a\\\\\"b c\""), (Args{u"a\\b c"}));
  EXPECT_EQ(SplitCommandLine(u"--user-agent=\"\""), (Args{u"--user-agent="}));
  EXPECT_EQ(SplitCommandLine(u"\"open"), (Args{u"open"}));
}
