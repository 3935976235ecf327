// SPDX-License-Identifier: GPL-3.0-or-later
// The value-or-error result of new code.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/Result.h"

namespace zf {
namespace {

Result<int> Half(int number) {
  if (number % 2 != 0) return Failure(std::to_string(number) + " is odd");
  return number / 2;
}

TEST(ResultTest, HoldsTheValueOrTheReason) {
  const Result<int> half = Half(8);
  ASSERT_TRUE(half);
  EXPECT_TRUE(half.has_value());
  EXPECT_EQ(*half, 4);
  EXPECT_EQ(half.value_or(-1), 4);

  const Result<int> odd = Half(7);
  EXPECT_FALSE(odd);
  EXPECT_EQ(odd.error(), "7 is odd");
  EXPECT_EQ(odd.value_or(-1), -1);
}

TEST(ResultTest, MovesOutValuesThatCannotBeCopied) {
  Result<std::unique_ptr<std::string>> made = std::make_unique<std::string>("kept");
  ASSERT_TRUE(made);
  EXPECT_EQ(made->get()->size(), 4u);
  std::unique_ptr<std::string> taken = std::move(made).value();
  EXPECT_EQ(*taken, "kept");
}

TEST(ResultTest, VoidResultSaysOnlyWhetherItWorked) {
  const Result<void> done;
  EXPECT_TRUE(done);
  const Result<void> failed = Failure("disk full");
  EXPECT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error(), "disk full");
}

}  // namespace
}  // namespace zf
