// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tunable values of a TcpSettings record by name: what the command line parses and prints,
// and what the registry layouts and the kernel bridge refer to.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/TcpSettings.h"

namespace zf {

enum class TuningField : std::uint8_t {
  MSS,
  MTU,
  RWIN,
  TTL,
  KeepAliveTime,
  KeepAliveInterval,
  SYNAttackProtect,
  NdiCacheSize,
  PmtuDiscovery,
  BlackHoleDetect,
  MaxConnPer10Server,
  MaxConnPerServer,
  IcmpRedirects,
};

enum class FieldKind { Whole32, Whole16, OnOff };

struct TuningFieldInfo {
  TuningField id;
  std::string_view name;  // as the command line spells it
  FieldKind kind;
};

inline constexpr std::array<TuningFieldInfo, 13> kTuningFields{{
    {TuningField::MSS, "MSS", FieldKind::Whole32},
    {TuningField::MTU, "MTU", FieldKind::Whole32},
    {TuningField::RWIN, "RWIN", FieldKind::Whole32},
    {TuningField::TTL, "TTL", FieldKind::Whole32},
    {TuningField::KeepAliveTime, "KeepAliveTime", FieldKind::Whole32},
    {TuningField::KeepAliveInterval, "KeepAliveInterval", FieldKind::Whole32},
    {TuningField::SYNAttackProtect, "SYNAttackProtect", FieldKind::Whole16},
    {TuningField::NdiCacheSize, "NdiCacheSize", FieldKind::Whole32},
    {TuningField::PmtuDiscovery, "PmtuDiscovery", FieldKind::OnOff},
    {TuningField::BlackHoleDetect, "BlackHoleDetect", FieldKind::OnOff},
    {TuningField::MaxConnPer10Server, "MaxConnPer10Server", FieldKind::Whole32},
    {TuningField::MaxConnPerServer, "MaxConnPerServer", FieldKind::Whole32},
    {TuningField::IcmpRedirects, "IcmpRedirects", FieldKind::OnOff},
}};
inline constexpr std::size_t kTuningFieldCount = kTuningFields.size();

// The table lists the fields in the order of the enumeration, so a field's index is its number.
constexpr bool FieldsInEnumOrder() {
  for (std::size_t i = 0; i < kTuningFieldCount; ++i)
    if (static_cast<std::size_t>(kTuningFields[i].id) != i) return false;
  return true;
}
static_assert(FieldsInEnumOrder(), "kTuningFields must list every field once, in enumeration order");

constexpr const TuningFieldInfo& FieldInfo(TuningField field) { return kTuningFields[static_cast<std::size_t>(field)]; }

// The field's value in the record, Booleans as 0 and 1.
std::int64_t FieldValue(const TcpSettings& settings, TuningField field);
// Sets the field; value must fit its kind.
void SetFieldValue(TcpSettings& settings, TuningField field, std::int64_t value);
// The field a name means, without regard to letter case.
std::optional<TuningField> FieldNamed(std::string_view name);

}  // namespace zf
