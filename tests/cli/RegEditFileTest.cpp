// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "CliRunner.h"
#include "cli/RegEditFile.h"
#include "core/RegistryStore.h"
#include "support/MemoryRegistry.h"

namespace zf {
namespace {

using Bytes = std::vector<std::uint8_t>;
// Every value below a key: "path|name" → (type, bytes).
using Tree = std::map<std::string, std::pair<std::uint32_t, Bytes>>;

void Walk(IRegistry& registry, HKEY key, const std::string& path, Tree* tree) {
  std::string name;
  for (std::uint32_t i = 0; registry.EnumValue(key, i, &name) == ERROR_SUCCESS; ++i) {
    std::uint32_t type = 0;
    Bytes data;
    registry.QueryValue(key, name, &type, &data);
    (*tree)[path + "|" + name] = {type, data};
  }
  for (std::uint32_t i = 0; registry.EnumKey(key, i, &name) == ERROR_SUCCESS; ++i) {
    HKEY child = 0;
    registry.OpenKey(key, name, KEY_READ, &child);
    (*tree)[path + "\\" + name] = {};  // the key itself, even when empty
    Walk(registry, child, path + "\\" + name, tree);
    registry.CloseKey(child);
  }
}

Tree ReadTree(const std::filesystem::path& store, HKEY hive, const std::string& path) {
  std::string error;
  auto registry = OpenRegistryStore(store, &error);
  Tree tree;
  HKEY key = 0;
  if (registry && registry->OpenKey(hive, path, KEY_READ, &key) == ERROR_SUCCESS) {
    Walk(*registry, key, path, &tree);
    registry->CloseKey(key);
  }
  return tree;
}

TEST(RegEditFile, ExportThenImportGivesBackEveryValueExactly) {
  test::CliRunner source, target;
  {
    std::string error;
    auto store = OpenRegistryStore(source.Store(), &error);
    ASSERT_TRUE(store) << error;
    HKEY key = 0;
    ASSERT_EQ(store->CreateKey(HKEY_CURRENT_USER, "Software\\Round\\Trip", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const std::vector<std::pair<std::string, std::pair<std::uint32_t, Bytes>>> values{
        {"", {REG_SZ, {'d', 0}}},
        {"quote \"and\" \\slash", {REG_SZ, {'C', ':', '\\', '"', 0}}},
        {"Größe", {REG_SZ, {0xC3, 0xA4, 0}}},
        {"dword", {REG_DWORD, {0x0A, 0, 0, 0x80}}},
        {"empty text", {REG_SZ, {}}},
        {"text with NUL", {REG_SZ, {'a', 0, 'b', 0}}},
        {"text with line break", {REG_SZ, {'a', '\n', 'b', 0}}},
        {"short dword", {REG_DWORD, {1, 2}}},
        {"binary", {3, Bytes(100, 0xFE)}},  // long enough to wrap
        {"empty binary", {3, {}}},
        {"multi", {7, {'a', 0, 'b', 0, 0}}},
        {"big type", {0x1234, {9}}},
    };
    for (const auto& [name, value] : values) store->SetValue(key, name, value.first, value.second);
    store->CloseKey(key);
    ASSERT_EQ(store->CreateKey(HKEY_CURRENT_USER, "Software\\Round\\Empty\\Leaf", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    store->CloseKey(key);
  }
  const auto file = source.File("round.reg");
  const test::CliResult exported = source.Run({"reg", "export", "HKCU\\Software\\Round", file.string()});
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  const test::CliResult imported = target.Run({"reg", "import", file.string()});
  ASSERT_EQ(imported.exitStatus, 0) << imported.err;
  const Tree original = ReadTree(source.Store(), HKEY_CURRENT_USER, "Software\\Round");
  EXPECT_EQ(original.size(), 15u);
  EXPECT_EQ(ReadTree(target.Store(), HKEY_CURRENT_USER, "Software\\Round"), original);
}

TEST(RegEditFile, ReadsTheFormsRegeditWrites) {
  std::istringstream text(
      "\xEF\xBB\xBFREGEDIT4\r\n"
      "\r\n"
      "; written by hand\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n"
      "@=\"dflt\"\r\n"
      "\"Bin\"=hex:01,02,\\\r\n"
      "  03\r\n"
      "\"Num\"=dword:FFFFFFFF\r\n"
      "\"Gone\"=-\r\n"
      "[-HKLM\\SOFTWARE\\Old]\r\n");
  std::vector<cli::RegFileEntry> entries;
  std::string error;
  ASSERT_TRUE(cli::ParseRegFile(text, &entries, &error)) << error;
  ASSERT_EQ(entries.size(), 6u);
  using Kind = cli::RegFileEntry::Kind;
  EXPECT_EQ(entries[0].kind, Kind::Key);
  EXPECT_EQ(entries[0].subKey, "SOFTWARE\\A");
  EXPECT_EQ(entries[1].data, Bytes({'d', 'f', 'l', 't', 0}));
  EXPECT_EQ(entries[1].name, "");
  EXPECT_EQ(entries[2].data, Bytes({1, 2, 3}));
  EXPECT_EQ(entries[2].type, 3u);
  EXPECT_EQ(entries[3].data, Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(entries[4].kind, Kind::DeleteValue);
  EXPECT_EQ(entries[5].kind, Kind::DeleteKey);
  EXPECT_EQ(entries[5].line, 10);
}

TEST(RegEditFile, RefusesABadLineByItsNumber) {
  const std::vector<std::pair<std::string, int>> cases{
      {"", 0},
      {"Windows Registry Editor Version 6.00\n", 1},
      {"REGEDIT4\n\"v\"=\"before any key\"\n", 2},
      {"REGEDIT4\n[HKLM\\A]\n\"v\"=\"bad \\q escape\"\n", 3},
      {"REGEDIT4\n[HKLM\\A]\n\"v\"=\"unterminated\n", 3},
      {"REGEDIT4\n[HKLM\\A]\n\"v\"=\"text\" trailing\n", 3},
      {"REGEDIT4\n[HKLM\\A]\n\"v\"=dword:123456789\n", 3},
      {"REGEDIT4\n[HKLM\\A]\n\"v\"=hex:01,zz\n", 3},
      {"REGEDIT4\n[HKLM\\A]\n\"v\"=hex:01,\n", 3},
      {"REGEDIT4\n[HKLM\\A]\n\"v\"=hex(x):01\n", 3},
      {"REGEDIT4\n[HKLM\\A]\nv=1\n", 3},
      {"REGEDIT4\n\n[HKXX\\A]\n", 3},
      {"REGEDIT4\n[HKLM\\A\\\\B]\n", 2},
      {"REGEDIT4\n[HKLM\\A\n", 2},
      {"REGEDIT4\n[-HKLM]\n", 2},
      {"REGEDIT4\n[-HKLM\\A]\n\"v\"=\"in a deleted key\"\n", 3},
  };
  for (const auto& [text, line] : cases) {
    std::istringstream in(text);
    std::vector<cli::RegFileEntry> entries;
    std::string error;
    EXPECT_FALSE(cli::ParseRegFile(in, &entries, &error)) << text;
    EXPECT_EQ(error.rfind("line " + std::to_string(line) + ": ", 0), 0u) << text << " → " << error;
  }
}

TEST(RegEditFile, StopsAtTheBoundsOnALineAndOnTheFileAndSaysWhich) {
  const cli::RegFileBounds bounds{100, 1000};
  const std::string header = "REGEDIT4\n[HKLM\\A]\n";
  const std::string comments = [] {
    std::string text;
    for (int i = 0; i < 30; ++i) text += "; " + std::string(40, 'c') + "\n";
    return text;
  }();
  struct Case {
    std::string text;
    std::string said;  // empty: read whole
  };
  const std::vector<Case> cases{
      {header + "\"v\"=\"" + std::string(90, 'x') + "\"\n", ""},
      {header + "\"v\"=\"" + std::string(100, 'x') + "\"\n", "line 3: the line is longer than 100 bytes"},
      {header + "\"v\"=hex:01,\\\n" +
           [] {
             std::string lines;
             for (int i = 0; i < 5; ++i) lines += "  02,02,02,02,02,02,02,\\\n";
             return lines;
           }() +
           "  03\n",
       "line 3: the line is longer than 100 bytes with its continuations"},
      {std::string(200, '\n'), ""},  // blank lines only: still a file with no header, read to the end
      {header + comments.substr(0, 900), ""},
      {header + comments, "the file is larger than 1000 bytes"},
      {"\xFF\xFE" + std::string(300, '\0'), "line 1: the line is longer than 100 bytes"},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.text);
    std::vector<cli::RegFileEntry> entries;
    std::string error;
    const bool read = cli::ParseRegFile(in, &entries, &error, bounds);
    if (c.said.empty()) {
      EXPECT_TRUE(read || error.find("empty") != std::string::npos) << error;
    } else {
      EXPECT_FALSE(read);
      EXPECT_NE(error.find(c.said), std::string::npos) << error;
    }
  }
}

TEST(RegEditFile, Regedit4IsWindows1252WhenAnyLineIsNotUtf8EvenAfterUtf8Lines) {
  // "\xC3\xA9" alone would be UTF-8; the later "\xE9" shows the whole file is Windows-1252.
  std::istringstream in("REGEDIT4\n[HKLM\\A]\n\"a\"=\"\xC3\xA9\"\n; \xE9\n\"b\"=\"x\"\n");
  std::vector<cli::RegFileEntry> entries;
  std::string error;
  ASSERT_TRUE(cli::ParseRegFile(in, &entries, &error)) << error;
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].data, (Bytes{0xC3, 0x83, 0xC2, 0xA9, 0}));
  EXPECT_EQ(entries[1].line, 3);
  EXPECT_EQ(entries[2].line, 5);
}

// A registry whose writes of one value fail, to see an import stop half-way.
class FailingRegistry : public test::MemoryRegistry {
 public:
  LONG SetValue(HKEY key, std::string_view name, std::uint32_t type, const Bytes& data) override {
    return name == "boom" ? ERROR_CANTWRITE : MemoryRegistry::SetValue(key, name, type, data);
  }
};

TEST(RegEditFile, ImportIsAllOrNothing) {
  FailingRegistry registry;
  registry.PutText("HKLM\\Keep", "old", "x");
  std::istringstream text("REGEDIT4\n[HKLM\\New]\n\"a\"=\"1\"\n[-HKLM\\Keep]\n[HKLM\\New]\n\"boom\"=\"2\"\n");
  std::vector<cli::RegFileEntry> entries;
  std::string error;
  ASSERT_TRUE(cli::ParseRegFile(text, &entries, &error)) << error;
  EXPECT_FALSE(cli::ApplyRegFile(registry, entries, &error));
  EXPECT_EQ(error.rfind("line 6: ", 0), 0u) << error;
  EXPECT_FALSE(registry.HasKey("HKLM\\New"));
  EXPECT_EQ(registry.GetText("HKLM\\Keep", "old"), "x");

  // Through the command line, a bad line writes nothing either.
  test::CliRunner cli;
  const auto file = cli.File("bad.reg");
  std::ofstream(file) << "REGEDIT4\n[HKLM\\Imported]\n\"a\"=\"1\"\n\"b\"=dword:xyz\n";
  const test::CliResult result = cli.Run({"reg", "import", file.string()});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_NE(result.err.find("line 4"), std::string::npos) << result.err;
  EXPECT_EQ(cli.Run({"reg", "query", "HKLM\\Imported"}).exitStatus, 1);
}

}  // namespace
}  // namespace zf
