// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry service: the handful of registry functions the program uses, with Windows
// status codes, so the access layer above keeps the registry's semantics on any store.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zf {

using HKEY = std::uint64_t;
using LONG = long;

// Predefined hives (the values Windows gives them).
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr HKEY HKEY_USERS = 0x80000003;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_DISK_FULL = 112;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_BADDB = 1009;        // the store file is corrupt or not ours
inline constexpr LONG ERROR_CANTREAD = 1012;     // the store could not be read
inline constexpr LONG ERROR_CANTWRITE = 1013;    // the store could not commit a write
inline constexpr LONG ERROR_KEY_DELETED = 1018;  // the open key was deleted meanwhile

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr std::uint32_t KEY_NOTIFY = 0x0010;
inline constexpr std::uint32_t KEY_CREATE_LINK = 0x0020;
inline constexpr std::uint32_t KEY_SPECIFIC_RIGHTS = 63;  // the six key-specific rights
inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

// True when an access mask asks for any right that changes the store.
constexpr bool AccessWantsWrite(std::uint32_t access) {
  return (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK)) != 0;
}

inline bool IsPredefinedHive(HKEY key) { return key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA; }

class IRegistry {
 public:
  virtual ~IRegistry() = default;

  // Opens subKey below parent, creating every missing key on the way.
  virtual LONG CreateKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) = 0;
  virtual LONG OpenKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) = 0;
  virtual LONG CloseKey(HKEY key) = 0;

  // Reads a whole value: its type and its exact bytes. An empty name is the default value.
  virtual LONG QueryValue(HKEY key, std::string_view name, std::uint32_t* type, std::vector<std::uint8_t>* data) = 0;
  virtual LONG SetValue(HKEY key, std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) = 0;
  virtual LONG DeleteValue(HKEY key, std::string_view name) = 0;
  // Removes subKey and everything below it.
  virtual LONG DeleteKey(HKEY parent, std::string_view subKey) = 0;

  // Name of the subkey at index in case-insensitive alphabetical order; 259 past the end.
  virtual LONG EnumKey(HKEY key, std::uint32_t index, std::string* name) = 0;
  // Name of the value at index, in case-insensitive alphabetical order; 259 past the end.
  virtual LONG EnumValue(HKEY key, std::uint32_t index, std::string* name) = 0;

  // Groups the writes until the matching CommitBatch into one durable transaction. Batches nest:
  // only the outermost commit writes. RollbackBatch drops everything since the outermost begin.
  virtual LONG BeginBatch() = 0;
  virtual LONG CommitBatch() = 0;
  virtual void RollbackBatch() = 0;
};

// Keeps a batch open for one scope; rolls it back unless committed.
class RegistryBatch {
 public:
  explicit RegistryBatch(IRegistry& registry) : m_registry(registry), m_beginStatus(registry.BeginBatch()) {
    m_open = m_beginStatus == ERROR_SUCCESS;
  }
  ~RegistryBatch() {
    if (m_open) m_registry.RollbackBatch();
  }
  RegistryBatch(const RegistryBatch&) = delete;
  RegistryBatch& operator=(const RegistryBatch&) = delete;
  bool isOpen() const { return m_open; }
  // Why the batch could not be opened (ERROR_SUCCESS when it was).
  LONG beginStatus() const { return m_beginStatus; }
  LONG commit() {
    if (!m_open) return ERROR_CANTWRITE;
    m_open = false;
    return m_registry.CommitBatch();
  }

 private:
  IRegistry& m_registry;
  LONG m_beginStatus;
  bool m_open = false;
};

}  // namespace zf
