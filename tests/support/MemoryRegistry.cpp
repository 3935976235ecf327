// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MemoryRegistry.h"

#include <algorithm>

#include "core/RegistryLimits.h"
#include "core/RegistryNames.h"
#include "core/RegistrySettings.h"

namespace zf::test {
namespace {

const std::map<HKEY, std::string> kHiveNames{
    {HKEY_CLASSES_ROOT, "HKCR"},     {HKEY_CURRENT_USER, "HKCU"},   {HKEY_LOCAL_MACHINE, "HKLM"}, {HKEY_USERS, "HKU"},
    {HKEY_PERFORMANCE_DATA, "HKPD"}, {HKEY_CURRENT_CONFIG, "HKCC"}, {HKEY_DYN_DATA, "HKDD"}};

std::string Fold(std::string_view text) { return FoldName(text); }

bool IsValidPath(std::string_view subKey) {
  std::vector<std::string_view> names;
  return SplitKeyPath(subKey, &names);
}

std::string Trim(std::string_view path) {
  while (path.starts_with('\\')) path.remove_prefix(1);
  while (path.ends_with('\\')) path.remove_suffix(1);
  return std::string(path);
}

// "HKLM\A\B" → (HKEY_LOCAL_MACHINE, "A\B").
std::pair<HKEY, std::string> SplitFullPath(const std::string& keyPath) {
  const auto slash = keyPath.find('\\');
  const std::string hive = keyPath.substr(0, slash);
  for (const auto& [key, name] : kHiveNames)
    if (name == hive) return {key, slash == std::string::npos ? std::string() : keyPath.substr(slash + 1)};
  return {0, {}};
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
  for (const auto& [hive, name] : kHiveNames) m_keys[Fold(name)] = Key{name, {}};
}

MemoryRegistry::~MemoryRegistry() = default;

std::optional<std::string> MemoryRegistry::Join(HKEY key, std::string_view subKey) const {
  std::string base;
  if (IsPredefinedHive(key)) {
    base = Fold(kHiveNames.at(key));
  } else {
    auto it = m_handles.find(key);
    if (it == m_handles.end()) return std::nullopt;
    base = it->second.folded;
  }
  const std::string rest = Trim(subKey);
  return rest.empty() ? base : base + "\\" + Fold(rest);
}

std::string MemoryRegistry::Display(HKEY key, std::string_view subKey) const {
  std::string base = IsPredefinedHive(key) ? kHiveNames.at(key) : m_keys.at(m_handles.at(key).folded).path;
  const std::string rest = Trim(subKey);
  return rest.empty() ? base : base + "\\" + rest;
}

MemoryRegistry::Key* MemoryRegistry::FindKey(HKEY key) {
  auto folded = Join(key, {});
  if (!folded) return nullptr;
  auto it = m_keys.find(*folded);
  return it == m_keys.end() ? nullptr : &it->second;
}

HKEY MemoryRegistry::NewHandle(const std::string& folded, bool writable) {
  const HKEY handle = m_nextHandle++;
  m_handles[handle] = Handle{folded, writable};
  return handle;
}

void MemoryRegistry::Record(RegistryChange::Kind kind, const std::string& key, std::string_view name,
                            std::uint32_t type, const std::vector<std::uint8_t>& data, LONG status) {
  m_changes.push_back(RegistryChange{kind, key, std::string(name), type, data, status});
}

LONG MemoryRegistry::CreateKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) {
  auto folded = Join(parent, subKey);
  if (!folded) return ERROR_INVALID_HANDLE;
  if (m_readOnly) return ERROR_ACCESS_DENIED;
  if (!IsValidPath(subKey)) return ERROR_INVALID_PARAMETER;
  if (!m_keys.contains(*folded)) {
    const std::string base = *Join(parent, {});
    if (!KeyPathProblem(subKey, static_cast<std::size_t>(std::count(base.begin(), base.end(), '\\'))).empty())
      return ERROR_INVALID_PARAMETER;
    // Create every missing key on the way, keeping the case each was first written in.
    const std::string display = Display(parent, subKey);
    std::size_t position = 0;
    while (position != std::string::npos) {
      position = display.find('\\', position + 1);
      const std::string prefix = display.substr(0, position);
      if (m_keys.emplace(Fold(prefix), Key{prefix, {}}).second)
        Record(RegistryChange::Kind::CreateKey, prefix, {}, 0, {}, ERROR_SUCCESS);
    }
  }
  *result = NewHandle(*folded, true);
  return ERROR_SUCCESS;
}

LONG MemoryRegistry::OpenKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) {
  auto folded = Join(parent, subKey);
  if (!folded) return ERROR_INVALID_HANDLE;
  const bool writable = AccessWantsWrite(access);
  if (writable && m_readOnly) return ERROR_ACCESS_DENIED;
  if (!IsValidPath(subKey)) return ERROR_INVALID_PARAMETER;
  if (!m_keys.contains(*folded)) return ERROR_FILE_NOT_FOUND;
  *result = NewHandle(*folded, writable);
  return ERROR_SUCCESS;
}

bool MemoryRegistry::IsWritable(HKEY key) const {
  return IsPredefinedHive(key) ? !m_readOnly : m_handles.at(key).writable;
}

LONG MemoryRegistry::CloseKey(HKEY key) {
  if (IsPredefinedHive(key)) return ERROR_SUCCESS;
  return m_handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG MemoryRegistry::QueryValue(HKEY key, std::string_view name, std::uint32_t* type, std::vector<std::uint8_t>* data) {
  Key* k = FindKey(key);
  if (k == nullptr) return ERROR_INVALID_HANDLE;
  const std::string folded = Fold(name);
  for (const Value& v : k->values) {
    if (Fold(v.name) != folded) continue;
    if (type) *type = v.type;
    if (data) *data = v.data;
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG MemoryRegistry::SetValue(HKEY key, std::string_view name, std::uint32_t type,
                              const std::vector<std::uint8_t>& data) {
  Key* k = FindKey(key);
  if (k == nullptr) return ERROR_INVALID_HANDLE;
  LONG status = ERROR_SUCCESS;
  if (!IsWritable(key)) {
    status = ERROR_ACCESS_DENIED;
  } else if (!ValueNameProblem(name).empty()) {
    status = ERROR_INVALID_PARAMETER;
  } else {
    const std::string folded = Fold(name);
    auto it = std::find_if(k->values.begin(), k->values.end(), [&](const Value& v) { return Fold(v.name) == folded; });
    if (it == k->values.end()) {
      k->values.push_back(Value{std::string(name), type, data});
    } else {
      it->type = type;
      it->data = data;
    }
  }
  Record(RegistryChange::Kind::SetValue, k->path, name, type, data, status);
  return status;
}

LONG MemoryRegistry::DeleteValue(HKEY key, std::string_view name) {
  Key* k = FindKey(key);
  if (k == nullptr) return ERROR_INVALID_HANDLE;
  LONG status = ERROR_FILE_NOT_FOUND;
  if (!IsWritable(key)) {
    status = ERROR_ACCESS_DENIED;
  } else {
    const std::string folded = Fold(name);
    auto it = std::find_if(k->values.begin(), k->values.end(), [&](const Value& v) { return Fold(v.name) == folded; });
    if (it != k->values.end()) {
      k->values.erase(it);
      status = ERROR_SUCCESS;
    }
  }
  Record(RegistryChange::Kind::DeleteValue, k->path, name, 0, {}, status);
  return status;
}

LONG MemoryRegistry::DeleteKey(HKEY parent, std::string_view subKey) {
  auto folded = Join(parent, subKey);
  if (!folded) return ERROR_INVALID_HANDLE;
  if (m_readOnly) return ERROR_ACCESS_DENIED;
  if (!IsValidPath(subKey)) return ERROR_INVALID_PARAMETER;
  if (Trim(subKey).empty()) return ERROR_ACCESS_DENIED;  // a hive or open key cannot delete itself
  auto it = m_keys.find(*folded);
  if (it == m_keys.end()) return ERROR_FILE_NOT_FOUND;
  const std::string display = it->second.path;
  const std::string prefix = *folded + "\\";
  std::erase_if(m_keys, [&](const auto& entry) { return entry.first == *folded || entry.first.starts_with(prefix); });
  Record(RegistryChange::Kind::DeleteKey, display, {}, 0, {}, ERROR_SUCCESS);
  return ERROR_SUCCESS;
}

LONG MemoryRegistry::EnumKey(HKEY key, std::uint32_t index, std::string* name) {
  auto folded = Join(key, {});
  if (!folded || !m_keys.contains(*folded)) return ERROR_INVALID_HANDLE;
  const std::string prefix = *folded + "\\";
  std::vector<std::string> children;  // m_keys is ordered by folded name: children come sorted
  for (auto it = m_keys.lower_bound(prefix); it != m_keys.end() && it->first.starts_with(prefix); ++it) {
    if (it->first.find('\\', prefix.size()) == std::string::npos)
      children.push_back(it->second.path.substr(it->second.path.rfind('\\') + 1));
  }
  if (index >= children.size()) return ERROR_NO_MORE_ITEMS;
  *name = children[index];
  return ERROR_SUCCESS;
}

LONG MemoryRegistry::EnumValue(HKEY key, std::uint32_t index, std::string* name) {
  Key* k = FindKey(key);
  if (k == nullptr) return ERROR_INVALID_HANDLE;
  std::vector<std::string> names;
  for (const Value& v : k->values) names.push_back(v.name);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return Fold(a) < Fold(b); });
  if (index >= names.size()) return ERROR_NO_MORE_ITEMS;
  *name = names[index];
  return ERROR_SUCCESS;
}

LONG MemoryRegistry::BeginBatch() {
  if (m_readOnly) return ERROR_ACCESS_DENIED;
  if (m_batchDepth++ == 0) m_snapshot = m_keys;
  return ERROR_SUCCESS;
}

LONG MemoryRegistry::CommitBatch() {
  if (m_batchDepth == 0) return ERROR_CANTWRITE;
  if (--m_batchDepth == 0) {
    m_snapshot.clear();
    ++m_committedBatches;
  }
  return ERROR_SUCCESS;
}

void MemoryRegistry::RollbackBatch() {
  if (m_batchDepth == 0) return;
  m_batchDepth = 0;
  m_keys = std::move(m_snapshot);
  m_snapshot.clear();
}

void MemoryRegistry::Put(const std::string& keyPath, const std::string& name, std::uint32_t type,
                         std::vector<std::uint8_t> data) {
  const auto [hive, subKey] = SplitFullPath(keyPath);
  HKEY key = 0;
  const bool wasReadOnly = m_readOnly;
  m_readOnly = false;
  CreateKey(hive, subKey, KEY_ALL_ACCESS, &key);
  SetValue(key, name, type, data);
  CloseKey(key);
  m_readOnly = wasReadOnly;
  m_changes.clear();
}

void MemoryRegistry::PutText(const std::string& keyPath, const std::string& name, const std::string& text) {
  Put(keyPath, name, REG_SZ, TextValueBytes(text));
}

void MemoryRegistry::PutDword(const std::string& keyPath, const std::string& name, std::int32_t value) {
  Put(keyPath, name, REG_DWORD, DwordValueBytes(value));
}

void MemoryRegistry::AddKey(const std::string& keyPath) {
  const auto [hive, subKey] = SplitFullPath(keyPath);
  HKEY key = 0;
  const bool wasReadOnly = m_readOnly;
  m_readOnly = false;
  CreateKey(hive, subKey, KEY_ALL_ACCESS, &key);
  CloseKey(key);
  m_readOnly = wasReadOnly;
  m_changes.clear();
}

bool MemoryRegistry::HasKey(const std::string& keyPath) const { return m_keys.contains(Fold(Trim(keyPath))); }

bool MemoryRegistry::HasValue(const std::string& keyPath, const std::string& name) const {
  return Get(keyPath, name).has_value();
}

std::optional<std::vector<std::uint8_t>> MemoryRegistry::Get(const std::string& keyPath,
                                                             const std::string& name) const {
  auto it = m_keys.find(Fold(Trim(keyPath)));
  if (it == m_keys.end()) return std::nullopt;
  for (const Value& v : it->second.values)
    if (Fold(v.name) == Fold(name)) return v.data;
  return std::nullopt;
}

std::optional<std::string> MemoryRegistry::GetText(const std::string& keyPath, const std::string& name) const {
  auto bytes = Get(keyPath, name);
  if (!bytes || bytes->empty() || bytes->back() != 0) return std::nullopt;
  return std::string(bytes->begin(), bytes->end() - 1);
}

std::optional<std::int32_t> MemoryRegistry::GetDword(const std::string& keyPath, const std::string& name) const {
  auto bytes = Get(keyPath, name);
  if (!bytes || bytes->size() != 4) return std::nullopt;
  const std::uint32_t bits =
      (*bytes)[0] | ((*bytes)[1] << 8) | ((*bytes)[2] << 16) | (std::uint32_t((*bytes)[3]) << 24);
  return static_cast<std::int32_t>(bits);
}

}  // namespace zf::test
