// SPDX-License-Identifier: GPL-3.0-or-later
// The value-or-error result of new code.
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <utility>

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
  EXPECT_EQ(odd.error().text, "7 is odd");
  EXPECT_EQ(odd.value_or(-1), -1);
}

TEST(ResultTest, MovesOutValuesThatCannotBeCopied) {
  Result<std::unique_ptr<std::string>> made = std::make_unique<std::string>("kept");
  ASSERT_TRUE(made);
  EXPECT_EQ(made->get()->size(), 4u);
  std::unique_ptr<std::string> taken = std::move(made).value();
  EXPECT_EQ(*taken, "kept");
}

TEST(ResultTest, AFailureCarriesItsKindNextToItsText) {
  const Result<Done> plain = Failure("went wrong");
  EXPECT_EQ(plain.error().kind, ErrorKind::Failed);
  const Result<Done> full = Failure("disk full", ErrorKind::DiskFull);
  ASSERT_FALSE(full.has_value());
  EXPECT_EQ(full.error().kind, ErrorKind::DiskFull);
  EXPECT_EQ(full.error().text, "disk full");
  // Handing a failure on keeps its kind.
  const Result<int> passedOn = full.error();
  EXPECT_EQ(passedOn.error().kind, ErrorKind::DiskFull);
}

TEST(ResultTest, SystemErrorsMapToTheKindsCallersTellApart) {
  const std::pair<int, ErrorKind> cases[] = {
      {ENOENT, ErrorKind::NotFound}, {EROFS, ErrorKind::ReadOnly}, {ENOSPC, ErrorKind::DiskFull},
      {EDQUOT, ErrorKind::DiskFull}, {EACCES, ErrorKind::Refused}, {EIO, ErrorKind::Failed},
  };
  for (const auto& [errorNumber, kind] : cases) EXPECT_EQ(ErrorKindOf(errorNumber), kind) << errorNumber;
}

}  // namespace
}  // namespace zf
