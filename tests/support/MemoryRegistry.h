// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An in-memory registry with the store's semantics, which also records every change in order
// so tests can check what was written where.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace zf::test {

struct RegistryChange {
  enum class Kind { SetValue, DeleteValue, DeleteKey, CreateKey } kind;
  std::string key;  // "HKLM\path\as\written"
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  LONG status = 0;
};

class MemoryRegistry : public IRegistry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  LONG CreateKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) override;
  LONG OpenKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) override;
  LONG CloseKey(HKEY key) override;
  LONG QueryValue(HKEY key, std::string_view name, std::uint32_t* type, std::vector<std::uint8_t>* data) override;
  LONG SetValue(HKEY key, std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) override;
  LONG DeleteValue(HKEY key, std::string_view name) override;
  LONG DeleteKey(HKEY parent, std::string_view subKey) override;
  LONG EnumKey(HKEY key, std::uint32_t index, std::string* name) override;
  LONG EnumValue(HKEY key, std::uint32_t index, std::string* name) override;
  LONG BeginBatch() override;
  LONG CommitBatch() override;
  void RollbackBatch() override;

  // Every open for writing fails with access denied while set.
  void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

  // Test conveniences over full paths such as "HKLM\Software\X".
  void Put(const std::string& keyPath, const std::string& name, std::uint32_t type, std::vector<std::uint8_t> data);
  void PutText(const std::string& keyPath, const std::string& name, const std::string& text);
  void PutDword(const std::string& keyPath, const std::string& name, std::int32_t value);
  void AddKey(const std::string& keyPath);
  bool HasKey(const std::string& keyPath) const;
  bool HasValue(const std::string& keyPath, const std::string& name) const;
  // The exact bytes of a value; empty optional when missing.
  std::optional<std::vector<std::uint8_t>> Get(const std::string& keyPath, const std::string& name) const;
  std::optional<std::string> GetText(const std::string& keyPath, const std::string& name) const;
  std::optional<std::int32_t> GetDword(const std::string& keyPath, const std::string& name) const;

  const std::vector<RegistryChange>& Changes() const { return m_changes; }
  void ClearChanges() { m_changes.clear(); }
  int OpenHandleCount() const { return static_cast<int>(m_handles.size()); }
  int CommittedBatches() const { return m_committedBatches; }

  struct Value {
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  struct Key {
    std::string path;  // as first written, "HKLM\\A\\B"
    std::vector<Value> values;
  };

 private:
  // Folded full path of a handle plus a relative path; empty when the handle is unknown.
  std::optional<std::string> Join(HKEY key, std::string_view subKey) const;
  std::string Display(HKEY key, std::string_view subKey) const;
  Key* FindKey(HKEY key);
  bool IsWritable(HKEY key) const;
  HKEY NewHandle(const std::string& folded, bool writable);
  void Record(RegistryChange::Kind kind, const std::string& key, std::string_view name, std::uint32_t type,
              const std::vector<std::uint8_t>& data, LONG status);

  std::map<std::string, Key> m_keys;  // by folded full path
  std::map<std::string, Key> m_snapshot;
  struct Handle {
    std::string folded;
    bool writable;
  };
  std::map<HKEY, Handle> m_handles;
  HKEY m_nextHandle = 0x1000;
  bool m_readOnly = false;
  int m_batchDepth = 0;
  int m_committedBatches = 0;
  std::vector<RegistryChange> m_changes;
};

}  // namespace zf::test
