// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/StoredTuning.h"

#include <cstdint>
#include <vector>

#include "core/CRegister.h"
#include "core/TuningLayout.h"

namespace zf::kernel {
namespace {

// The value as the 32 bits a restore would write back: a DWORD's top bit makes it negative.
std::optional<long long> Number(const StoredNumber& stored) {
  if (stored.kind != StoredNumber::Kind::Number) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(stored.value));
}

// The first value of a field wins, mirrors only where no first copy holds a number.
void ReadValues(StoredValues& stored, HKEY hive, std::string_view key, const std::vector<LayoutValue>& values,
                bool mirrors, StoredTuning& tuning) {
  for (const LayoutValue& value : values) {
    if (!value.field || value.mirror != mirrors || tuning[*value.field]) continue;
    tuning[*value.field] = Number(stored.Read(hive, key, value.name));
  }
}

void ReadInterfaces(IRegistry& registry, const TuningLayout& layout, StoredValues& stored, StoredTuning& tuning) {
  std::vector<std::string> names;
  EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, layout.interfacesKey, &names);
  const InterfaceGroup& group = layout.interfaceGroups.front();  // the others mirror it
  for (const std::string& name : names) {
    const std::string key = group.key(name);
    for (const LayoutValue& value : group.values) {
      const auto number = Number(stored.Read(HKEY_LOCAL_MACHINE, key, value.name));
      if (*value.field == TuningField::MTU) {
        tuning.interfaceMtus[name] = number;
      } else if (!tuning[*value.field]) {
        tuning[*value.field] = number;
      }
    }
  }
}

}  // namespace

Result<StoredTuning> ReadStoredTuning(IRegistry& registry, const OSFamily& family) {
  const TuningLayout* layout = LayoutOfFamily(family.code);
  if (layout == nullptr) return Error{"the configured Windows version has no tuning layout"};
  StoredTuning tuning;
  tuning.ntLayout = family.IsNTLayout();
  StoredValues stored(registry, *layout);
  for (const bool mirrors : {false, true})
    for (const LayoutGroup& group : layout->groups)
      ReadValues(stored, group.hive, group.valuesKey, group.values, mirrors, tuning);
  ReadInterfaces(registry, *layout, stored, tuning);
  return tuning;
}

}  // namespace zf::kernel
