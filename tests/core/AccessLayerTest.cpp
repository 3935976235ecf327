// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/CRegister.h"
#include "core/RegistrySettings.h"
#include "core/regg.h"
#include "support/MemoryRegistry.h"

namespace zf {
namespace {

using test::MemoryRegistry;

const std::string kPinger = SettingsSection(kSectionNetPinger);

class AccessLayerTest : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  RegistrySettings settings{registry};
  RegFunctions functions{registry};
  CRegister reg{registry};
};

TEST_F(AccessLayerTest, MachineSettingRoundTripAndDefault) {
  EXPECT_EQ(settings.GetMachineSetting(kPinger, "chkDoPinging", "false"), "false");
  settings.SaveMachineSetting(kPinger, "chkDoPinging", "true");
  EXPECT_EQ(settings.GetMachineSetting(kPinger, "chkDoPinging", "false"), "true");
  EXPECT_EQ(registry.Get("HKLM\\SOFTWARE\\Tessel\\Zentrofast\\Settings\\NetPinger", "chkDoPinging"),
            (std::vector<std::uint8_t>{'t', 'r', 'u', 'e', 0}));
  settings.SaveMachineSetting(kPinger, "cmbInterval", 5);
  EXPECT_EQ(settings.GetMachineSetting(kPinger, "cmbInterval", ""), "5");
  EXPECT_EQ(registry.OpenHandleCount(), 0);
}

TEST_F(AccessLayerTest, GetStringValueReadsAtMost254Characters) {
  registry.PutText("HKLM\\K", "fits", std::string(254, 'a'));
  registry.PutText("HKLM\\K", "long", std::string(255, 'b'));
  EXPECT_EQ(settings.GetStringValue(HKEY_LOCAL_MACHINE, "K", "fits", "d"), std::string(254, 'a'));
  EXPECT_EQ(settings.GetStringValue(HKEY_LOCAL_MACHINE, "K", "long", "d"), "d");
}

TEST_F(AccessLayerTest, ZeroLengthTextReadsAsEmptyNotGarbage) {
  registry.Put("HKLM\\K", "empty", REG_SZ, {});
  EXPECT_EQ(settings.GetStringValue(HKEY_LOCAL_MACHINE, "K", "empty", "d"), "");
  // The section read keeps its rule: nothing stored gives the default.
  EXPECT_EQ(reg.REGGetSetting(HKEY_LOCAL_MACHINE, "K", "empty", "d"), "d");
}

TEST_F(AccessLayerTest, SetRegistryValueWritesExactBytes) {
  EXPECT_EQ(functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "A\\B", "t", REG_SZ, 1, false), ERROR_SUCCESS);
  EXPECT_EQ(registry.Get("HKLM\\A\\B", "t"), (std::vector<std::uint8_t>{'1', 0}));
  EXPECT_EQ(functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "A\\B", "d", REG_DWORD, true, false), ERROR_SUCCESS);
  EXPECT_EQ(registry.Get("HKLM\\A\\B", "d"), (std::vector<std::uint8_t>{1, 0, 0, 0}));
  functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "A\\B", "neg", REG_DWORD, -1, false);
  EXPECT_EQ(registry.Get("HKLM\\A\\B", "neg"), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "A\\B", "big", REG_DWORD, 256960, false);
  EXPECT_EQ(registry.GetDword("HKLM\\A\\B", "big"), 256960);
}

TEST_F(AccessLayerTest, SetRegistryValueRefusesWhatIsNotA32BitNumber) {
  EXPECT_NE(functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "A", "v", REG_DWORD, std::int64_t{2147483648}, false),
            ERROR_SUCCESS);
  EXPECT_NE(functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "A", "v", REG_DWORD, "abc", false), ERROR_SUCCESS);
  EXPECT_FALSE(registry.HasValue("HKLM\\A", "v"));
  EXPECT_EQ(functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "A", "v", REG_DWORD, "1460", false), ERROR_SUCCESS);
  EXPECT_EQ(registry.GetDword("HKLM\\A", "v"), 1460);
}

TEST_F(AccessLayerTest, DeleteOfMissingValueFailsButCreatesTheKey) {
  EXPECT_NE(functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "New\\Key", "MTU", REG_DWORD, 0, true), ERROR_SUCCESS);
  EXPECT_TRUE(registry.HasKey("HKLM\\New\\Key"));
  EXPECT_FALSE(registry.HasValue("HKLM\\New\\Key", "MTU"));
}

TEST_F(AccessLayerTest, OtherTypeCodesWriteNothing) {
  functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "A", "v", 3, 1, false);
  EXPECT_FALSE(registry.HasValue("HKLM\\A", "v"));
}

TEST_F(AccessLayerTest, RawNumericReadSumsBytesLittleEndian) {
  registry.PutDword("HKLM\\T", "MSS", 1460);
  registry.PutText("HKLM\\T", "TTL", "64");
  EXPECT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "T", "MSS", 7), 1460);
  EXPECT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "T", "TTL", 7), 13366);
  EXPECT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "T", "missing", 7), 0);
  EXPECT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "Nope", "MSS", 7), 0);
  registry.PutDword("HKLM\\T", "All", -1);
  EXPECT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "T", "All"), 4294967295.0);
}

TEST_F(AccessLayerTest, StarKeyIsTheDefaultValueAndSectionsAreNormalised) {
  registry.AddKey("HKLM\\Sec");
  EXPECT_EQ(reg.REGGetSetting(HKEY_LOCAL_MACHINE, "\\Sec\\", "*", "dflt"), "dflt");
  registry.PutText("HKLM\\Sec", "", "");
  EXPECT_EQ(reg.REGGetSetting(HKEY_LOCAL_MACHINE, "\\Sec\\", "*", "dflt"), "");
  EXPECT_TRUE(reg.REGSaveSetting(HKEY_LOCAL_MACHINE, "\\Sec\\", "*", "x"));
  EXPECT_EQ(registry.GetText("HKLM\\Sec", ""), "x");
  EXPECT_TRUE(reg.REGDeleteSetting(HKEY_LOCAL_MACHINE, "\\Sec\\", "*"));
  EXPECT_FALSE(registry.HasValue("HKLM\\Sec", ""));
  // Only one backslash is dropped at each end: the second names an empty key, which none may.
  EXPECT_FALSE(reg.REGSaveSetting(HKEY_LOCAL_MACHINE, "\\\\Two", "v", 1));
  EXPECT_FALSE(registry.HasValue("HKLM\\Two", "v"));
}

TEST_F(AccessLayerTest, ReadsFallBackToReadAccessWhenWritingIsDenied) {
  registry.PutText("HKLM\\Ro", "v", "kept");
  registry.SetReadOnly(true);
  EXPECT_EQ(reg.REGGetSetting(HKEY_LOCAL_MACHINE, "Ro", "v", "d"), "kept");
  EXPECT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "Ro", "v"), 'k' + 'e' * 256.0 + 'p' * 65536.0 + 't' * 16777216.0);
  EXPECT_FALSE(reg.REGSaveSetting(HKEY_LOCAL_MACHINE, "Ro", "v", "new"));
  EXPECT_EQ(registry.GetText("HKLM\\Ro", "v"), "kept");
  EXPECT_EQ(registry.OpenHandleCount(), 0);
}

TEST_F(AccessLayerTest, DeletingAKeyTakesItsSubkeys) {
  registry.PutText("HKLM\\Top\\Sub\\Leaf", "v", "x");
  EXPECT_TRUE(reg.REGDeleteSetting(HKEY_LOCAL_MACHINE, "Top\\Sub", ""));
  EXPECT_FALSE(registry.HasKey("HKLM\\Top\\Sub\\Leaf"));
  EXPECT_TRUE(registry.HasKey("HKLM\\Top"));
}

TEST_F(AccessLayerTest, SubkeysListInCaseInsensitiveOrder) {
  registry.AddKey("HKLM\\Net\\beta");
  registry.AddKey("HKLM\\Net\\Alpha");
  registry.AddKey("HKLM\\Net\\0001");
  registry.AddKey("HKLM\\Net\\Alpha\\Deeper");
  EXPECT_EQ(reg.GetAllKeys(HKEY_LOCAL_MACHINE, "net"), (std::vector<std::string>{"0001", "Alpha", "beta"}));
  EXPECT_TRUE(reg.GetAllKeys(HKEY_LOCAL_MACHINE, "Missing").empty());
  std::vector<std::string> names;
  EXPECT_TRUE(EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, "NET", &names));
  EXPECT_EQ(names.size(), 3u);
  EXPECT_FALSE(EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, "Missing", &names));
}

TEST_F(AccessLayerTest, EnumerationSkipsNamesThatDoNotFitTheBuffer) {
  registry.AddKey("HKLM\\Net\\a");
  // 129 characters, within the registry's limit, but 257 bytes of UTF-8: more than the buffer holds.
  std::string wide = "b";
  for (int i = 0; i < 128; ++i) wide += "\u00e4";
  registry.AddKey("HKLM\\Net\\" + wide);
  registry.AddKey("HKLM\\Net\\c");
  std::vector<std::string> names;
  EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, "Net", &names);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "c"}));
  // The listing of the section class stops at the first failure instead.
  EXPECT_EQ(reg.GetAllKeys(HKEY_LOCAL_MACHINE, "Net"), (std::vector<std::string>{"a"}));
}

class OpenKeyByPathTest : public AccessLayerTest {
 protected:
  regg paths{registry};
};

TEST_F(OpenKeyByPathTest, ShortFormsExpandIgnoringCase) {
  registry.AddKey("HKLM\\Software\\X");
  HKEY key = 0;
  ASSERT_EQ(paths.OpenKeyByPath("hklm\\Software\\X", KEY_READ, &key), ERROR_SUCCESS);
  registry.CloseKey(key);
  EXPECT_TRUE(paths.KeyExists("HKEY_LOCAL_MACHINE\\software\\x"));
  // A longer word is no hive: its extra letter leaves the subkey beginning with an empty name.
  EXPECT_FALSE(paths.KeyExists("HKLMX\\Software\\X"));
  EXPECT_EQ(registry.OpenHandleCount(), 0);
}

TEST_F(OpenKeyByPathTest, LongNamesMatchOnlyWithCase) {
  registry.AddKey("HKLM\\Software");
  HKEY key = 0;
  EXPECT_NE(paths.OpenKeyByPath("hkey_local_machine\\Software", KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(OpenKeyByPathTest, ExpandOnlyHivesFail) {
  registry.AddKey("HKDD\\PerfStats");
  HKEY key = 0;
  EXPECT_NE(paths.OpenKeyByPath("HKDD\\PerfStats", KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_NE(paths.OpenKeyByPath("HKEY_CURRENT_CONFIG\\X", KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(regg::ParseKeyPath("HKPD\\x").hive, 0u);
}

TEST_F(OpenKeyByPathTest, FirstHiveInSearchOrderWinsAndSubkeyCountsFromTheStart) {
  auto parsed = regg::ParseKeyPath("HKEY_LOCAL_MACHINE\\A\\HKEY_CURRENT_USER");
  EXPECT_EQ(parsed.hive, HKEY_CURRENT_USER);
  EXPECT_EQ(parsed.subKey, "\\A\\HKEY_CURRENT_USER");  // 18 characters skipped
  EXPECT_EQ(regg::ParseKeyPath("HKCU").subKey, "");
  EXPECT_EQ(regg::ParseKeyPath("HKUS\\S-1").hive, HKEY_USERS);
}

}  // namespace
}  // namespace zf
