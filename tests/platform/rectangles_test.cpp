// Rectangle arithmetic: InflateRect and OffsetRect, on Wine and on the Linux back end.
#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

TEST(Rectangles, InflateAndOffset) {
  struct Case {
    RECT start;
    int dx, dy;
    bool inflate;
    RECT want;
  };
  const Case cases[] = {
      {{10, 20, 30, 40}, 2, 3, true, {8, 17, 32, 43}},
      {{10, 20, 30, 40}, -2, -3, true, {12, 23, 28, 37}},
      {{10, 20, 30, 40}, -15, 0, true, {25, 20, 15, 40}},  // past its own middle: turned over
      {{10, 20, 30, 40}, 1, -1, false, {11, 19, 31, 39}},
      {{0, 0, 0, 0}, -5, 5, false, {-5, 5, -5, 5}},
  };
  for (const Case& c : cases) {
    RECT rect = c.start;
    EXPECT_TRUE(c.inflate ? InflateRect(&rect, c.dx, c.dy) : OffsetRect(&rect, c.dx, c.dy));
    EXPECT_EQ(rect.left, c.want.left);
    EXPECT_EQ(rect.top, c.want.top);
    EXPECT_EQ(rect.right, c.want.right);
    EXPECT_EQ(rect.bottom, c.want.bottom);
  }
  EXPECT_FALSE(InflateRect(nullptr, 1, 1));
  EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
}

}  // namespace
