// SPDX-License-Identifier: GPL-3.0-or-later
// The registry's semantics, checked the same way on the in-memory registry the other tests use
// and on the SQLite store the programs use.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <optional>

#include "core/CRegister.h"
#include "core/RegistrySettings.h"
#include "core/RegistryStore.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct MemoryMaker {
  test::MemoryRegistry registry;
  IRegistry& Get() { return registry; }
  IRegistry& ReopenReadOnly() {
    registry.SetReadOnly(true);
    return registry;
  }
};

struct StoreMaker {
  test::TempDir folder;
  std::unique_ptr<IRegistry> registry;
  std::filesystem::path File() const { return folder / "registry.sqlite3"; }
  IRegistry& Get() {
    if (!registry) Open();
    return *registry;
  }
  IRegistry& ReopenReadOnly() {
    registry.reset();
    chmod(File().c_str(), 0444);
    Open();
    return *registry;
  }
  void Open() {
    std::string error;
    registry = OpenRegistryStore(File(), &error);
    if (!registry) throw std::runtime_error(error);
  }
};

template <class Maker>
class RegistryConformanceTest : public ::testing::Test {
 protected:
  IRegistry& Registry() { return m_registry ? *m_registry : *(m_registry = &m_maker.Get()); }
  void ReopenReadOnly() { m_registry = &m_maker.ReopenReadOnly(); }

  HKEY Create(HKEY parent, std::string_view path) {
    HKEY key = 0;
    EXPECT_EQ(Registry().CreateKey(parent, path, KEY_ALL_ACCESS, &key), ERROR_SUCCESS) << path;
    return key;
  }
  void Put(HKEY hive, std::string_view path, std::string_view name, std::uint32_t type, const Bytes& data) {
    const HKEY key = Create(hive, path);
    EXPECT_EQ(Registry().SetValue(key, name, type, data), ERROR_SUCCESS);
    Registry().CloseKey(key);
  }
  LONG Open(HKEY hive, std::string_view path, std::uint32_t access = KEY_READ) {
    HKEY key = 0;
    const LONG status = Registry().OpenKey(hive, path, access, &key);
    if (status == ERROR_SUCCESS) Registry().CloseKey(key);
    return status;
  }
  std::optional<std::pair<std::uint32_t, Bytes>> Get(HKEY hive, std::string_view path, std::string_view name) {
    HKEY key = 0;
    if (Registry().OpenKey(hive, path, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    std::uint32_t type = 0;
    Bytes data;
    const LONG status = Registry().QueryValue(key, name, &type, &data);
    Registry().CloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return std::make_pair(type, data);
  }
  // Subkey names (values when listValues) in enumeration order.
  std::vector<std::string> List(HKEY hive, std::string_view path, bool listValues = false) {
    std::vector<std::string> names;
    HKEY key = 0;
    if (Registry().OpenKey(hive, path, KEY_READ, &key) != ERROR_SUCCESS) return names;
    std::string name;
    for (std::uint32_t i = 0;; ++i) {
      const LONG status = listValues ? Registry().EnumValue(key, i, &name) : Registry().EnumKey(key, i, &name);
      if (status != ERROR_SUCCESS) {
        EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
        break;
      }
      names.push_back(name);
    }
    Registry().CloseKey(key);
    return names;
  }

 private:
  Maker m_maker;
  IRegistry* m_registry = nullptr;
};

using Registries = ::testing::Types<MemoryMaker, StoreMaker>;
class RegistryNames {
 public:
  template <class T>
  static std::string GetName(int) {
    return std::is_same_v<T, MemoryMaker> ? "Memory" : "SqliteStore";
  }
};
TYPED_TEST_SUITE(RegistryConformanceTest, Registries, RegistryNames);

const Bytes kText{'t', 'e', 'x', 't', 0};

TYPED_TEST(RegistryConformanceTest, KeyAndValueNamesIgnoreCase) {
  this->Put(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Services\\Tcpip\\Parameters", "MaxMTU", REG_SZ, kText);
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\vendor\\services\\TCPIP\\parameters"), ERROR_SUCCESS);
  ASSERT_TRUE(this->Get(HKEY_LOCAL_MACHINE, "software\\VENDOR\\Services\\tcpip\\Parameters", "maxmtu"));
  // Writing under another case replaces the value and keeps the name as first written.
  this->Put(HKEY_LOCAL_MACHINE, "SOFTWARE\\VENDOR\\SERVICES\\TCPIP\\PARAMETERS", "MAXMTU", REG_DWORD, {1, 0, 0, 0});
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Services\\Tcpip\\Parameters", true),
            std::vector<std::string>{"MaxMTU"});
  EXPECT_EQ(this->Get(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Services\\Tcpip\\Parameters", "MaxMTU")->first, REG_DWORD);
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "software\\vendor\\services"), std::vector<std::string>{"Tcpip"});
  // Letters beyond ASCII fold too.
  this->Put(HKEY_CURRENT_USER, "Äpfel\\Größe", "Wert", REG_SZ, kText);
  EXPECT_TRUE(this->Get(HKEY_CURRENT_USER, "äPFEL\\GRÖßE", "wert"));
}

TYPED_TEST(RegistryConformanceTest, CreatingMakesEveryMissingParentOpeningMakesNothing) {
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "A\\B\\C"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "A"), ERROR_FILE_NOT_FOUND);
  this->Registry().CloseKey(this->Create(HKEY_LOCAL_MACHINE, "A\\B\\C\\"));
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "A"), ERROR_SUCCESS);
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "a\\b"), ERROR_SUCCESS);
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "A"), std::vector<std::string>{"B"});
  // A key below an open handle.
  const HKEY b = this->Create(HKEY_LOCAL_MACHINE, "A\\B");
  this->Registry().CloseKey(this->Create(b, "D\\E"));
  this->Registry().CloseKey(b);
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "A\\B"), (std::vector<std::string>{"C", "D"}));
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "A\\B\\D\\E"), ERROR_SUCCESS);
  // An empty name names no key, wherever it stands; only one trailing backslash is no name.
  HKEY key = 0;
  for (const char* path : {"A\\\\X", "\\X", "\\\\X", "X\\\\"})
    EXPECT_EQ(this->Registry().CreateKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &key), ERROR_INVALID_PARAMETER)
        << path;
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "A\\\\B"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "\\A"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "X"), ERROR_FILE_NOT_FOUND) << "a refused path made nothing";
}

TYPED_TEST(RegistryConformanceTest, DefaultValueLivesUnderTheEmptyName) {
  this->Put(HKEY_LOCAL_MACHINE, "K", "", REG_SZ, kText);
  this->Put(HKEY_LOCAL_MACHINE, "K", "named", REG_SZ, {'n', 0});
  EXPECT_EQ(this->Get(HKEY_LOCAL_MACHINE, "K", "")->second, kText);
  EXPECT_EQ(this->Get(HKEY_LOCAL_MACHINE, "K", "named")->second, Bytes({'n', 0}));
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "K", true), (std::vector<std::string>{"", "named"}));
  EXPECT_FALSE(this->Get(HKEY_LOCAL_MACHINE, "Other", ""));
}

TYPED_TEST(RegistryConformanceTest, ValuesKeepTheirTypeCodeAndExactBytes) {
  const std::vector<std::pair<std::uint32_t, Bytes>> values{
      {REG_SZ, kText},
      {REG_SZ, {}},                     // zero length, not even a NUL
      {REG_SZ, {'a', 0, 'b', 0}},       // a NUL inside
      {REG_DWORD, {0xB4, 0x05, 0, 0}},  // 1460
      {REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
      {3, {0, 0xFF, 0x10, 0x80}},  // binary
      {7, {'a', 0, 'b', 0, 0}},    // several texts
      {0x12345, {1}},              // a type code nobody knows
  };
  for (std::size_t i = 0; i < values.size(); ++i)
    this->Put(HKEY_LOCAL_MACHINE, "Bytes", "v" + std::to_string(i), values[i].first, values[i].second);
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(this->Get(HKEY_LOCAL_MACHINE, "Bytes", "v" + std::to_string(i)), values[i]) << i;
  this->Put(HKEY_LOCAL_MACHINE, "Bytes", "v0", REG_DWORD, {2, 0, 0, 0});
  EXPECT_EQ(this->Get(HKEY_LOCAL_MACHINE, "Bytes", "v0"), std::make_pair(REG_DWORD, Bytes{2, 0, 0, 0}));
}

TYPED_TEST(RegistryConformanceTest, FailuresReportWindowsStatusCodes) {
  IRegistry& registry = this->Registry();
  const HKEY key = this->Create(HKEY_LOCAL_MACHINE, "Codes");
  std::string name;
  EXPECT_EQ(registry.QueryValue(key, "missing", nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry.DeleteValue(key, "missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry.DeleteKey(HKEY_LOCAL_MACHINE, "Codes\\Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry.EnumKey(key, 0, &name), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(registry.EnumValue(key, 0, &name), ERROR_NO_MORE_ITEMS);
  EXPECT_NE(registry.DeleteKey(HKEY_LOCAL_MACHINE, ""), ERROR_SUCCESS);  // a hive stays
  EXPECT_EQ(registry.CloseKey(key), ERROR_SUCCESS);
  // A closed handle is no handle.
  EXPECT_EQ(registry.CloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.QueryValue(key, "v", nullptr, nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.SetValue(key, "v", REG_SZ, kText), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.EnumKey(key, 0, &name), ERROR_INVALID_HANDLE);
  HKEY child = 0;
  EXPECT_EQ(registry.CreateKey(key, "X", KEY_ALL_ACCESS, &child), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.OpenKey(0, "X", KEY_READ, &child), ERROR_INVALID_HANDLE);
}

TYPED_TEST(RegistryConformanceTest, EnumerationIsCaseInsensitiveAlphabetical) {
  for (const char* name : {"beta", "zeta", "_under", "Alpha", "Zed", "0001", "alpha2"})
    this->Put(HKEY_LOCAL_MACHINE, std::string("Order\\") + name, name, REG_SZ, kText);
  this->Put(HKEY_LOCAL_MACHINE, "Order\\beta\\Deeper", "x", REG_SZ, kText);
  const std::vector<std::string> expected{"0001", "Alpha", "alpha2", "beta", "Zed", "zeta", "_under"};
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "Order"), expected);
  for (const char* name : {"beta", "zeta", "_under", "Alpha", "Zed", "0001", "alpha2"})
    this->Put(HKEY_LOCAL_MACHINE, "Values", name, REG_SZ, kText);
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "Values", true), expected);
}

TYPED_TEST(RegistryConformanceTest, DeletingAKeyTakesItsSubtreeAndNothingElse) {
  this->Put(HKEY_LOCAL_MACHINE, "Top\\Sub", "own", REG_SZ, kText);
  this->Put(HKEY_LOCAL_MACHINE, "Top\\Sub\\Leaf", "deep", REG_SZ, kText);
  for (const char* sibling : {"Top\\Sub2", "Top\\SubX", "Top\\Sub]", "Top\\Su"})
    this->Put(HKEY_LOCAL_MACHINE, sibling, "kept", REG_SZ, kText);
  this->Put(HKEY_CURRENT_USER, "Top\\Sub", "other hive", REG_SZ, kText);
  EXPECT_EQ(this->Registry().DeleteKey(HKEY_LOCAL_MACHINE, "top\\SUB"), ERROR_SUCCESS);
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "Top\\Sub"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "Top\\Sub\\Leaf"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "Top"), (std::vector<std::string>{"Su", "Sub2", "SubX", "Sub]"}));
  EXPECT_TRUE(this->Get(HKEY_CURRENT_USER, "Top\\Sub", "other hive"));
  // Made again, the keys come back empty: their values went with them.
  this->Registry().CloseKey(this->Create(HKEY_LOCAL_MACHINE, "Top\\Sub\\Leaf"));
  EXPECT_TRUE(this->List(HKEY_LOCAL_MACHINE, "Top\\Sub", true).empty());
  EXPECT_TRUE(this->List(HKEY_LOCAL_MACHINE, "Top\\Sub\\Leaf", true).empty());
}

TYPED_TEST(RegistryConformanceTest, HandlesOpenedForReadingCannotWrite) {
  IRegistry& registry = this->Registry();
  this->Put(HKEY_LOCAL_MACHINE, "H", "v", REG_SZ, kText);
  HKEY reader = 0;
  ASSERT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "H", KEY_READ, &reader), ERROR_SUCCESS);
  EXPECT_EQ(registry.SetValue(reader, "v", REG_SZ, {'x', 0}), ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry.DeleteValue(reader, "v"), ERROR_ACCESS_DENIED);
  // Opening the empty path gives a second handle to the same key.
  HKEY writer = 0;
  ASSERT_EQ(registry.OpenKey(reader, "", KEY_SPECIFIC_RIGHTS, &writer), ERROR_SUCCESS);
  registry.CloseKey(reader);
  EXPECT_EQ(registry.SetValue(writer, "v", REG_SZ, {'x', 0}), ERROR_SUCCESS);
  registry.CloseKey(writer);
  EXPECT_EQ(this->Get(HKEY_LOCAL_MACHINE, "H", "v")->second, Bytes({'x', 0}));
}

TYPED_TEST(RegistryConformanceTest, EveryHiveIsARootOfItsOwn) {
  const HKEY hives[] = {HKEY_CLASSES_ROOT,     HKEY_CURRENT_USER,   HKEY_LOCAL_MACHINE, HKEY_USERS,
                        HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA};
  for (std::uint8_t i = 0; i < std::size(hives); ++i) this->Put(hives[i], "Probe", "", REG_DWORD, {i, 0, 0, 0});
  for (std::uint8_t i = 0; i < std::size(hives); ++i)
    EXPECT_EQ(this->Get(hives[i], "probe", "")->second, Bytes({i, 0, 0, 0})) << i;
  EXPECT_EQ(this->Registry().SetValue(HKEY_DYN_DATA, "direct", REG_SZ, kText), ERROR_SUCCESS);
  EXPECT_TRUE(this->Get(HKEY_DYN_DATA, "", "direct"));
}

TYPED_TEST(RegistryConformanceTest, BatchesCommitTogetherNestAndRollBack) {
  IRegistry& registry = this->Registry();
  ASSERT_EQ(registry.BeginBatch(), ERROR_SUCCESS);
  this->Put(HKEY_LOCAL_MACHINE, "Batch\\New", "v", REG_SZ, kText);
  registry.RollbackBatch();
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "Batch"), ERROR_FILE_NOT_FOUND);

  // An inner commit writes nothing yet: the outer rollback takes it back.
  ASSERT_EQ(registry.BeginBatch(), ERROR_SUCCESS);
  ASSERT_EQ(registry.BeginBatch(), ERROR_SUCCESS);
  this->Put(HKEY_LOCAL_MACHINE, "Batch", "inner", REG_SZ, kText);
  EXPECT_EQ(registry.CommitBatch(), ERROR_SUCCESS);
  registry.RollbackBatch();
  EXPECT_FALSE(this->Get(HKEY_LOCAL_MACHINE, "Batch", "inner"));
  EXPECT_NE(registry.CommitBatch(), ERROR_SUCCESS);  // nothing is open any more

  {
    RegistryBatch outer(registry);
    this->Put(HKEY_LOCAL_MACHINE, "Batch", "first", REG_SZ, kText);
    {
      RegistryBatch inner(registry);
      this->Put(HKEY_LOCAL_MACHINE, "Batch", "second", REG_SZ, kText);
      EXPECT_EQ(inner.commit(), ERROR_SUCCESS);
    }
    EXPECT_TRUE(this->Get(HKEY_LOCAL_MACHINE, "Batch", "second"));  // a batch reads its own writes
    EXPECT_EQ(outer.commit(), ERROR_SUCCESS);
  }
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "Batch", true), (std::vector<std::string>{"first", "second"}));
  {
    RegistryBatch forgotten(registry);
    this->Put(HKEY_LOCAL_MACHINE, "Batch", "third", REG_SZ, kText);
  }
  EXPECT_FALSE(this->Get(HKEY_LOCAL_MACHINE, "Batch", "third"));
}

TYPED_TEST(RegistryConformanceTest, ReadOnlyRefusesEveryOpenForWritingButReads) {
  this->Put(HKEY_LOCAL_MACHINE, "Ro\\Sub", "v", REG_SZ, kText);
  this->Put(HKEY_LOCAL_MACHINE, "", "hive value", REG_SZ, kText);
  this->ReopenReadOnly();
  IRegistry& registry = this->Registry();
  HKEY key = 0;
  EXPECT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, "Ro", KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, "Ro\\New", KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "Ro", KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "Ro", KEY_SPECIFIC_RIGHTS, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry.SetValue(HKEY_LOCAL_MACHINE, "hive value", REG_SZ, {'x', 0}), ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry.DeleteValue(HKEY_LOCAL_MACHINE, "hive value"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry.DeleteKey(HKEY_LOCAL_MACHINE, "Ro\\Sub"), ERROR_ACCESS_DENIED);
  EXPECT_NE(registry.BeginBatch(), ERROR_SUCCESS);
  EXPECT_EQ(this->Get(HKEY_LOCAL_MACHINE, "Ro\\Sub", "v")->second, kText);
  EXPECT_EQ(this->Get(HKEY_LOCAL_MACHINE, "", "hive value")->second, kText);
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "Ro"), std::vector<std::string>{"Sub"});
  // The access layer falls back to reading.
  CRegister reg(registry);
  EXPECT_EQ(reg.REGGetSetting(HKEY_LOCAL_MACHINE, "\\Ro\\Sub\\", "v", "d"), "text");
  EXPECT_FALSE(reg.REGSaveSetting(HKEY_LOCAL_MACHINE, "Ro\\Sub", "v", "new"));
}

TYPED_TEST(RegistryConformanceTest, NamesKeepTheRegistrysLimitsAndHoldNoLineBreak) {
  IRegistry& registry = this->Registry();
  HKEY key = 0;
  for (const std::string& bad : {std::string(256, 'k'), std::string("a\nb"), std::string("a\rb"),
                                 std::string("a\0b", 3), "Fine\\" + std::string("x\n")})
    EXPECT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, bad, KEY_ALL_ACCESS, &key), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "Fine"), ERROR_FILE_NOT_FOUND) << "no parent is left behind";
  // 255 characters of two bytes each still make a name of 255 characters.
  std::string wide;
  for (int i = 0; i < 255; ++i) wide += "\u00e9";
  registry.CloseKey(this->Create(HKEY_LOCAL_MACHINE, wide));

  std::string deepest = "D";
  for (int depth = 2; depth <= 511; ++depth) deepest += "\\d";
  const HKEY deep = this->Create(HKEY_LOCAL_MACHINE, deepest);
  registry.CloseKey(this->Create(deep, "last"));
  EXPECT_EQ(registry.CreateKey(deep, "last\\beyond", KEY_ALL_ACCESS, &key), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, deepest + "\\e\\f", KEY_ALL_ACCESS, &key), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, deepest + "\\e"), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(registry.SetValue(deep, std::string(16383, 'v'), REG_SZ, kText), ERROR_SUCCESS);
  for (const std::string& bad :
       {std::string(16384, 'v'), std::string("v\n"), std::string("v\r"), std::string("v\0", 2)})
    EXPECT_EQ(registry.SetValue(deep, bad, REG_SZ, kText), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, deepest, true), std::vector<std::string>{std::string(16383, 'v')});
  registry.CloseKey(deep);

  // The access layer goes through the same refusal.
  CRegister reg(registry);
  EXPECT_FALSE(reg.REGSaveSetting(HKEY_LOCAL_MACHINE, "Sec\ntion", "v", "x"));
  EXPECT_FALSE(reg.REGSaveSetting(HKEY_LOCAL_MACHINE, "Section", "two\nlines", "x"));
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "Section", true), std::vector<std::string>{});
}

TYPED_TEST(RegistryConformanceTest, AccessLayerStarNameIsTheDefaultValue) {
  CRegister reg(this->Registry());
  this->Registry().CloseKey(this->Create(HKEY_LOCAL_MACHINE, "Sec"));
  EXPECT_EQ(reg.REGGetSetting(HKEY_LOCAL_MACHINE, "\\Sec\\", "*", "dflt"), "dflt");
  EXPECT_TRUE(reg.REGSaveSetting(HKEY_LOCAL_MACHINE, "\\Sec\\", "*", "x"));
  EXPECT_EQ(this->Get(HKEY_LOCAL_MACHINE, "Sec", ""), std::make_pair(std::uint32_t{REG_SZ}, Bytes{'x', 0}));
  EXPECT_EQ(reg.REGGetSetting(HKEY_LOCAL_MACHINE, "Sec", "*", "dflt"), "x");
  EXPECT_EQ(this->List(HKEY_LOCAL_MACHINE, "Sec", true), std::vector<std::string>{""});
  EXPECT_TRUE(reg.REGDeleteSetting(HKEY_LOCAL_MACHINE, "\\Sec\\", "*"));
  EXPECT_FALSE(this->Get(HKEY_LOCAL_MACHINE, "Sec", ""));
}

TYPED_TEST(RegistryConformanceTest, AccessLayerReadsBackWhatItWrote) {
  RegistrySettings settings(this->Registry());
  RegFunctions functions(this->Registry());
  CRegister reg(this->Registry());
  const std::string section = SettingsSection(kSectionNetPinger);
  settings.SaveMachineSetting(section, "chkDoPinging", "true");
  EXPECT_EQ(settings.GetMachineSetting(section, "chkdopinging", "false"), "true");
  functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "Tcp", "TTL", REG_SZ, 64, false);
  functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "Tcp", "MSS", REG_DWORD, 1460, false);
  EXPECT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "\\Tcp\\", "TTL"), 13366);
  EXPECT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "Tcp", "MSS"), 1460);
  // A text value stored with no bytes at all reads as empty text, not as garbage.
  this->Put(HKEY_LOCAL_MACHINE, "Tcp", "empty", REG_SZ, {});
  EXPECT_EQ(settings.GetStringValue(HKEY_LOCAL_MACHINE, "Tcp", "empty", "default"), "");
  EXPECT_EQ(reg.REGGetSetting(HKEY_LOCAL_MACHINE, "Tcp", "empty", "default"), "default");
  EXPECT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "Tcp", "empty"), 0);
  EXPECT_NE(functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "Tcp\\New", "MTU", REG_DWORD, 0, true), ERROR_SUCCESS);
  EXPECT_EQ(this->Open(HKEY_LOCAL_MACHINE, "Tcp\\New"), ERROR_SUCCESS);
}

}  // namespace
}  // namespace zf
