// SPDX-License-Identifier: GPL-3.0-or-later
// Host texts as a user types them: the classification and the address parser must take anything,
// and an accepted dotted text must print back to four parts of 0..255.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/WholeNumber.h"
#include "pinger/mdlPing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  zf::IsAddressText(text);
  zf::ParseWholeNumber(text, zf::WholeNumberForm::Typed);
  if (const auto address = zf::TextToIPv4(text)) {
    const std::string printed = zf::IPv4Text(*address);
    const auto again = zf::TextToIPv4(printed);
    if (!again || zf::IPv4Text(*again) != printed) std::abort();
  }
  return 0;
}
