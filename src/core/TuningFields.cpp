// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/TuningFields.h"

#include <cctype>
#include <variant>

namespace zf {
namespace {

using Member = std::variant<std::int32_t TcpSettings::*, std::int16_t TcpSettings::*, bool TcpSettings::*>;

// By field number; the kinds in kTuningFields must match the member types.
constexpr std::array<Member, kTuningFieldCount> kMembers{
    &TcpSettings::MSS,
    &TcpSettings::MTU,
    &TcpSettings::RWIN,
    &TcpSettings::TTL,
    &TcpSettings::KeepAliveTime,
    &TcpSettings::KeepAliveInterval,
    &TcpSettings::SYNAttackProtect,
    &TcpSettings::NdiCacheSize,
    &TcpSettings::PmtuDiscovery,
    &TcpSettings::BlackHoleDetect,
    &TcpSettings::MaxConnPer10Server,
    &TcpSettings::MaxConnPerServer,
    &TcpSettings::IcmpRedirects,
};

constexpr bool KindsMatchMembers() {
  for (std::size_t i = 0; i < kTuningFieldCount; ++i)
    if (static_cast<std::size_t>(kMembers[i].index()) != static_cast<std::size_t>(kTuningFields[i].kind)) return false;
  return true;
}
static_assert(KindsMatchMembers(), "a field's kind must match its member's type");

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

std::int64_t FieldValue(const TcpSettings& settings, TuningField field) {
  return std::visit([&](auto member) { return static_cast<std::int64_t>(settings.*member); },
                    kMembers[static_cast<std::size_t>(field)]);
}

void SetFieldValue(TcpSettings& settings, TuningField field, std::int64_t value) {
  std::visit(
      [&](auto member) {
        using T = std::remove_reference_t<decltype(settings.*member)>;
        if constexpr (std::is_same_v<T, bool>) {
          settings.*member = value != 0;
        } else {
          settings.*member = static_cast<T>(value);
        }
      },
      kMembers[static_cast<std::size_t>(field)]);
}

std::optional<TuningField> FieldNamed(std::string_view name) {
  for (const TuningFieldInfo& info : kTuningFields)
    if (SameWord(info.name, name)) return info.id;
  return std::nullopt;
}

}  // namespace zf
