// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/mdlOSVersion.h"

namespace zf {
namespace {

TEST(OSVersion, MapsVersionRecordsToFamilies) {
  struct Case {
    OSVersionRecord record;
    int code;
    const char* name;
  };
  const Case cases[] = {
      {{0, 0, 0}, 1, "Windows 32"},   {{1, 4, 0}, 2, "Windows 95"}, {{1, 4, 10}, 3, "Windows 98"},
      {{1, 4, 90}, 4, "Windows ME"},  {{1, 4, 3}, 1, "Windows 32"}, {{2, 4, 0}, 5, "Windows NT"},
      {{2, 5, 0}, 6, "Windows 2000"}, {{2, 5, 1}, 7, "Windows XP"}, {{2, 5, 2}, 1, "Windows 32"},
      {{2, 6, 0}, 1, "Windows 32"},   {{3, 5, 1}, 1, "Windows 32"},
  };
  for (const Case& c : cases) {
    const OSFamily family = DetectOSFamily(c.record);
    EXPECT_EQ(family.code, c.code) << c.record.platformId << "." << c.record.majorVersion << "."
                                   << c.record.minorVersion;
    EXPECT_EQ(family.name, c.name);
  }
  EXPECT_TRUE(DetectOSFamily({2, 5, 2}).Is9xLayout());
  EXPECT_TRUE(DetectOSFamily(kDefaultOSVersion).IsNTLayout());
}

// Backups carry the bare code; restoring and applying pick the layout from it alone.
TEST(OSVersion, FamilyCodesChooseOneLayoutOrNone) {
  for (std::int16_t code : {0, 8, -1}) {
    EXPECT_FALSE(OSFamily::Is9xLayout(code)) << code;
    EXPECT_FALSE(OSFamily::IsNTLayout(code)) << code;
  }
  for (std::int16_t code = 1; code <= 4; ++code) {
    EXPECT_TRUE(OSFamily::Is9xLayout(code)) << code;
    EXPECT_FALSE(OSFamily::IsNTLayout(code)) << code;
  }
  for (std::int16_t code = 5; code <= 7; ++code) {
    EXPECT_TRUE(OSFamily::IsNTLayout(code)) << code;
    EXPECT_FALSE(OSFamily::Is9xLayout(code)) << code;
  }
  EXPECT_FALSE(OSFamily{}.Is9xLayout() || OSFamily{}.IsNTLayout());
}

TEST(OSVersion, ParsesConfiguredRecords) {
  auto parsed = ParseOSVersion("1.4.10");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(GetOSVersion(*parsed), 2);
  EXPECT_FALSE(ParseOSVersion("2.5"));
  EXPECT_FALSE(ParseOSVersion("2.5.1.0"));
  EXPECT_FALSE(ParseOSVersion("2.x.1"));
  EXPECT_FALSE(ParseOSVersion("-2.5.1"));
  EXPECT_FALSE(ParseOSVersion(""));
}

}  // namespace
}  // namespace zf
