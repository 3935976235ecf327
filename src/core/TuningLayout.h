// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where each tuning value lives in the registry of an OS family: the one description that the
// writer (ApplySettings), the backup and its restore (SettingsBackup) and the kernel bridge read.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/TuningFields.h"
#include "platform/registry.h"

namespace zf {

struct LayoutValue {
  std::string_view name;                               // empty: the key's default value
  std::optional<TuningField> field;                    // the record's field it holds; none for a fixed value
  std::int32_t fixed = 0;                              // the value written when there is no field
  std::optional<TuningField> dropWith = std::nullopt;  // deleted instead when this field is kDeleteMarker
  bool mirror = false;          // a copy of a field that the bridge reads from another value first
  bool recordedAsFlag = false;  // the backup records 0 or 1
  bool recordedOnly = false;    // recorded in the backup a second time, never written
};

struct LayoutGroup {
  HKEY hive;
  std::string_view key;        // the backup's key line, where fixed values and restores are written
  std::string_view valuesKey;  // the spelling tuned values are read and written under
  std::vector<LayoutValue> values;
  bool writtenLast = false;  // written after the per-interface groups
};

// A group repeated for every subkey of the layout's interfaces key.
struct InterfaceGroup {
  std::string (*key)(std::string_view subkeyName);
  std::vector<LayoutValue> values;  // written value by value across the groups, read group by group
};

struct TuningLayout {
  std::string_view label;   // "9x" or "NT"
  std::uint32_t valueType;  // how tuned values are written: REG_SZ or REG_DWORD
  // The numbers a stored text may spell: what the layout restores it as.
  std::int64_t lowestText;
  std::int64_t highestText;
  std::vector<LayoutGroup> groups;  // in backup order
  std::string_view interfacesKey;
  std::vector<InterfaceGroup> interfaceGroups;
};

const TuningLayout& Layout9x();
const TuningLayout& LayoutNT();
// The layout of an OS family code; nullptr when the family has none.
const TuningLayout* LayoutOfFamily(std::int16_t familyCode);

// A stored tuning value as a number, by one rule for the backup and the bridge: a text counts as
// the whole number it spells (blanks around and a '+' allowed) within the layout's text range;
// other data is a little-endian number that must fit the 32 bits a restore writes back.
struct StoredNumber {
  enum class Kind {
    Absent,    // no key, no value, or an empty text
    Number,    // value holds it
    NoNumber,  // a text that spells no number in range, or data wider than 32 bits
  };
  Kind kind = Kind::Absent;
  std::int64_t value = 0;  // texts as spelled; data unsigned
  std::string excerpt;     // NoNumber: the text or data, quoted for a note
};

StoredNumber StoredNumberOf(const TuningLayout& layout, std::uint32_t type, const std::vector<std::uint8_t>& data);

// Reads tuning values one after another, keeping the last key open for the next value of the
// same key.
class StoredValues {
 public:
  StoredValues(IRegistry& registry, const TuningLayout& layout) : m_registry(registry), m_layout(layout) {}
  ~StoredValues() { CloseKey(); }
  StoredValues(const StoredValues&) = delete;
  StoredValues& operator=(const StoredValues&) = delete;

  StoredNumber Read(HKEY hive, std::string_view key, std::string_view name);

 private:
  bool OpenKey(HKEY hive, std::string_view key);
  void CloseKey();

  IRegistry& m_registry;
  const TuningLayout& m_layout;
  bool m_open = false;
  HKEY m_hive = 0;
  std::string m_key;
  HKEY m_handle = 0;
};

// "HKLM\KEY NAME" ("(default)" for the empty name), as notes name a value.
std::string ValuePathText(HKEY hive, std::string_view key, std::string_view name);

}  // namespace zf
