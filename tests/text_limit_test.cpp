// The text box's cut, shared by every backend; the same test on every build.
#include <gtest/gtest.h>

#include "ui/platform/platform.h"

namespace {

TEST(CutToLength, NeverLeavesHalfASurrogatePair) {
  EXPECT_EQ(platform::cutToLength(u"abcdef", 4), u"abcd");
  EXPECT_EQ(platform::cutToLength(u"abc", 4), u"abc");
  EXPECT_EQ(platform::cutToLength(u"abc😀", 4), u"abc");  // the pair would be split
  EXPECT_EQ(platform::cutToLength(u"ab😀", 4), u"ab😀");
  EXPECT_EQ(platform::cutToLength(u"😀", 0), u"");
}

}  // namespace
