// SPDX-License-Identifier: GPL-3.0-or-later
// .reg files as the registry editors write them: both formats, both encodings, every form; and
// round trips that keep every character.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "CliRunner.h"
#include "core/RegistryStore.h"

namespace zf {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::CliResult;
using namespace std::string_literals;

const std::filesystem::path kData = ZF_TEST_DATA_DIR;
const std::string kKey = "Software\\Zentrofast Test";

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

Bytes Text(std::string_view utf8) { return Bytes(utf8.begin(), utf8.end()); }
// The text with the NUL that ends it in the store.
Bytes Sz(std::string_view utf8) {
  Bytes bytes = Text(utf8);
  bytes.push_back(0);
  return bytes;
}
// Entries each ending in a NUL, then the empty entry that ends the list.
Bytes Multi(const std::vector<std::string_view>& entries) {
  Bytes bytes;
  for (std::string_view entry : entries) {
    const Bytes one = Sz(entry);
    bytes.insert(bytes.end(), one.begin(), one.end());
  }
  bytes.push_back(0);
  return bytes;
}
// ASCII text as UTF-16LE bytes.
std::string Utf16(std::string_view ascii) {
  std::string bytes;
  for (char c : ascii) (bytes += c) += '\0';
  return bytes;
}

// A store beside a command runner, with direct access for setting up and checking.
class RegFileFormatsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    m_store = OpenRegistryStore(cli.Store(), &error);
    ASSERT_TRUE(m_store) << error;
  }

  void Put(const std::string& path, const std::string& name, std::uint32_t type, const Bytes& data) {
    HKEY key = 0;
    ASSERT_EQ(m_store->CreateKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(m_store->SetValue(key, name, type, data), ERROR_SUCCESS);
    m_store->CloseKey(key);
  }

  // (type, bytes) of a value, or type 0xFFFFFFFF when it is not there.
  std::pair<std::uint32_t, Bytes> Get(const std::string& path, const std::string& name) {
    HKEY key = 0;
    std::pair<std::uint32_t, Bytes> value{0xFFFFFFFF, {}};
    if (m_store->OpenKey(HKEY_CURRENT_USER, path, KEY_READ, &key) != ERROR_SUCCESS) return value;
    if (m_store->QueryValue(key, name, &value.first, &value.second) != ERROR_SUCCESS) value.first = 0xFFFFFFFF;
    m_store->CloseKey(key);
    return value;
  }

  bool HasKey(const std::string& path) {
    HKEY key = 0;
    if (m_store->OpenKey(HKEY_CURRENT_USER, path, KEY_READ, &key) != ERROR_SUCCESS) return false;
    m_store->CloseKey(key);
    return true;
  }

  // What the files in tests/cli/data delete: a subkey and a value.
  void PutWhatTheFilesDelete() {
    Put(kKey + "\\Old\\Deeper", "x", REG_SZ, Sz("x"));
    Put(kKey, "Gone", REG_DWORD, {1, 0, 0, 0});
  }

  CliResult Import(const std::filesystem::path& file) { return cli.Run({"reg", "import", file.string()}); }

  void ExpectVersion5Contents() {
    EXPECT_EQ(Get(kKey, ""), std::make_pair(REG_SZ, Sz("Default text")));
    EXPECT_EQ(Get(kKey, "Greeting"), std::make_pair(REG_SZ, Sz("Grüße ☃ 𝄞 \"quoted\" C:\\path\\")));
    EXPECT_EQ(Get(kKey, "Number"), std::make_pair(REG_DWORD, Bytes{0x10, 0xFF, 0, 0}));
    EXPECT_EQ(Get(kKey, "Binary"), std::make_pair(REG_BINARY, Bytes{0, 1, 0xFE, 0xFF}));
    EXPECT_EQ(Get(kKey, "Expandable"), std::make_pair(REG_EXPAND_SZ, Sz("%HOME%\\é☃")));
    EXPECT_EQ(Get(kKey, "Multi"), std::make_pair(REG_MULTI_SZ, Multi({"α", "b", "😀"})));
    EXPECT_EQ(Get(kKey + "\\Sub Key", "Empty"), std::make_pair(REG_SZ, Bytes{0}));
    EXPECT_EQ(Get(kKey, "Gone").first, 0xFFFFFFFF);
    EXPECT_FALSE(HasKey(kKey + "\\Old"));
  }

  test::CliRunner cli;
  std::unique_ptr<IRegistry> m_store;
};

TEST_F(RegFileFormatsTest, ImportsVersion5InUtf16WithByteOrderMark) {
  PutWhatTheFilesDelete();
  const CliResult result = Import(kData / "version5-utf16.reg");
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  ExpectVersion5Contents();
}

TEST_F(RegFileFormatsTest, ImportsVersion5InUtf8WithAndWithoutByteOrderMark) {
  const std::string utf8 = ReadAll(kData / "version5-utf8.reg");
  ASSERT_FALSE(utf8.starts_with("\xEF\xBB\xBF"));
  for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8}) {
    PutWhatTheFilesDelete();
    WriteAll(cli.File("copy.reg"), bytes);
    const CliResult result = Import(cli.File("copy.reg"));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    ExpectVersion5Contents();
  }
}

TEST_F(RegFileFormatsTest, ImportsRegedit4InWindows1252) {
  PutWhatTheFilesDelete();
  const CliResult result = Import(kData / "regedit4-cp1252.reg");
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(Get(kKey, "Größe"), std::make_pair(REG_SZ, Sz("café € – naïve")));
  EXPECT_EQ(Get(kKey, "Expandable"), std::make_pair(REG_EXPAND_SZ, Sz("%HOME%\\é€")));
  EXPECT_EQ(Get(kKey, "Multi"), std::make_pair(REG_MULTI_SZ, Multi({"à", "b"})));
  EXPECT_EQ(Get(kKey, "Long"), std::make_pair(REG_BINARY, Bytes{1, 2, 3, 4}));
  EXPECT_EQ(Get(kKey, "Gone").first, 0xFFFFFFFF);
  EXPECT_FALSE(HasKey(kKey + "\\Old"));
}

TEST_F(RegFileFormatsTest, ReadsRegedit4ThatEarlierVersionsWroteInUtf8) {
  WriteAll(cli.File("old.reg"), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Zentrofast Test]\n\"Größe\"=\"ä ☃\"\n");
  ASSERT_EQ(Import(cli.File("old.reg")).exitStatus, 0);
  EXPECT_EQ(Get(kKey, "Größe").second, Sz("ä ☃"));
}

TEST_F(RegFileFormatsTest, ABadLineInTheMiddleLeavesTheStoreUntouched) {
  PutWhatTheFilesDelete();
  const CliResult result = Import(kData / "version5-bad-line.reg");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_NE(result.err.find("line 7: "), std::string::npos) << result.err;
  EXPECT_EQ(Get(kKey, "Greeting").first, 0xFFFFFFFF);
  EXPECT_EQ(Get(kKey, "Gone").first, REG_DWORD);
  EXPECT_TRUE(HasKey(kKey + "\\Old\\Deeper"));
}

TEST_F(RegFileFormatsTest, RefusesTextThatIsNotWhatTheEncodingSays) {
  const std::string header = "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n";
  const std::vector<std::pair<std::string, std::string>> cases{
      {header + "\"v\"=\"\xE9\"\r\n", "line 3: "},                // Windows-1252 in a UTF-8 file
      {header + "\"v\"=hex(2):41,00,42\r\n", "line 3: "},         // half a UTF-16 unit
      {header + "\"v\"=hex(7):00,dc,00,00\r\n", "line 3: "},      // a lone low surrogate
      {"\xFF\xFE" + std::string("W\0", 2) + "\x01", "line 1: "},  // the file ends in half a unit
      {"\xFF\xFE" + Utf16(header.substr(0, 38)) + std::string("\0\xD8\n\0", 4), "line 2: "},  // a lone high surrogate
  };
  for (const auto& [bytes, said] : cases) {
    WriteAll(cli.File("bad.reg"), bytes);
    const CliResult result = Import(cli.File("bad.reg"));
    EXPECT_EQ(result.exitStatus, 1) << said;
    EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
  }
  EXPECT_FALSE(HasKey("A"));
}

// Wine's regedit writes a text's line breaks as \r and \n, and reads a comment after a value or a
// key; these are its files, written the way it writes them (UTF-16LE, a byte-order mark, CR LF).
TEST_F(RegFileFormatsTest, ReadsAndWritesTextWithLineBreaksAndCommentsAsWinesEditorDoes) {
  const std::string lines = "\"Lines\"=\"line1\\nline2\\r\\nend\"\r\n";
  struct Case {
    std::string line;
    std::string name;
    std::pair<std::uint32_t, Bytes> value;
  };
  const std::vector<Case> cases{
      {lines, "Lines", {REG_SZ, Sz("line1\nline2\r\nend")}},
      {"\"s\"=\"t\" ; note\r\n", "s", {REG_SZ, Sz("t")}},
      {"\"semi\"=\"a;b\"\t;note \"c\"\r\n", "semi", {REG_SZ, Sz("a;b")}},
      {"\"n;1\"=dword:00000010 ;note\r\n", "n;1", {REG_DWORD, {0x10, 0, 0, 0}}},
      {"\"h\"=hex:01,02 ; note\r\n", "h", {REG_BINARY, {1, 2}}},
      {"\"h;2\"=hex:01,\\ ; goes on\r\n  02 ;end\r\n", "h;2", {REG_BINARY, {1, 2}}},
      {"\"Gone\"=- ; no longer\r\n", "Gone", {0xFFFFFFFF, {}}},
  };
  std::string file = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + kKey + "]\r\n";
  for (const Case& c : cases) file += c.line;
  file += "\r\n[HKEY_CURRENT_USER\\" + kKey + "\\Sub] ; a key\r\n";
  Put(kKey, "Gone", REG_DWORD, {1, 0, 0, 0});
  WriteAll(cli.File("wine.reg"), "\xFF\xFE" + Utf16(file));
  const CliResult imported = Import(cli.File("wine.reg"));
  ASSERT_EQ(imported.exitStatus, 0) << imported.err;
  for (const Case& c : cases) EXPECT_EQ(Get(kKey, c.name), c.value) << c.line;
  EXPECT_TRUE(HasKey(kKey + "\\Sub"));

  const CliResult exported = cli.Run({"reg", "export", "HKCU\\" + kKey, cli.File("out.reg").string()});
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  const std::string out = ReadAll(cli.File("out.reg"));
  for (const std::string& line : {lines, "\"s\"=\"t\"\r\n"s})
    EXPECT_NE(out.find(Utf16("\r\n" + line)), std::string::npos) << line << " goes out as Wine writes it";
}

TEST_F(RegFileFormatsTest, QueryShowsExpandableAndMultiTextAsRegExeDoes) {
  Put(kKey, "Path", REG_EXPAND_SZ, Sz("%HOME%\\é"));
  Put(kKey, "List", REG_MULTI_SZ, Multi({"α", "b c"}));
  const CliResult result = cli.Run({"reg", "query", "HKCU\\" + kKey});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_NE(result.out.find("    Path    REG_EXPAND_SZ    %HOME%\\é\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("    List    REG_MULTI_SZ    α\\0b c\n"), std::string::npos) << result.out;
}

using Tree = std::map<std::string, std::pair<std::uint32_t, Bytes>>;

const std::vector<std::string> kWindows1252Texts{"plain", "café € –"};
const std::vector<std::string> kAllTexts{"plain", "café € –", "Ã¤ reads as UTF-8", "☃ snow", "𝄞 clef", "日本語"};

// Texts inside and outside ASCII, Windows-1252 and the 16-bit plane, in every text type and in
// key and value names; only what Windows-1252 holds unless allTexts.
Tree FillWithTexts(IRegistry& store, bool allTexts) {
  Tree tree;
  auto put = [&](const std::string& path, const std::string& name, std::uint32_t type, const Bytes& data) {
    HKEY key = 0;
    ASSERT_EQ(store.CreateKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(store.SetValue(key, name, type, data), ERROR_SUCCESS);
    store.CloseKey(key);
    tree[path + "|" + name] = {type, data};
  };
  int n = 0;
  for (const std::string& text : allTexts ? kAllTexts : kWindows1252Texts) {
    const std::string index = std::to_string(n++);
    Bytes withNul = Text(text);
    withNul.push_back(0);
    put(kKey, "sz " + index, REG_SZ, withNul);
    put(kKey, "expand " + index, REG_EXPAND_SZ, withNul);
    Bytes multi = withNul;
    multi.insert(multi.end(), withNul.begin(), withNul.end());
    multi.push_back(0);
    put(kKey, "multi " + index, REG_MULTI_SZ, multi);
  }
  put(kKey, "without NUL", REG_SZ, Text(allTexts ? "ab☃" : "ab€"));
  put(kKey, "", REG_SZ, Text(std::string_view("x\0y\0", 4)));
  put(kKey + "\\Käse €", "Wert ä", REG_SZ, Sz("ä"));
  return tree;
}

Tree ReadTree(IRegistry& store, const std::string& path) {
  Tree tree;
  HKEY key = 0;
  if (store.OpenKey(HKEY_CURRENT_USER, path, KEY_READ, &key) != ERROR_SUCCESS) return tree;
  std::string name;
  for (std::uint32_t i = 0; store.EnumValue(key, i, &name) == ERROR_SUCCESS; ++i) {
    std::pair<std::uint32_t, Bytes> value;
    store.QueryValue(key, name, &value.first, &value.second);
    tree[path + "|" + name] = value;
  }
  std::vector<std::string> children;
  for (std::uint32_t i = 0; store.EnumKey(key, i, &name) == ERROR_SUCCESS; ++i) children.push_back(name);
  store.CloseKey(key);
  for (const std::string& child : children) tree.merge(ReadTree(store, path + "\\" + child));
  return tree;
}

// Exports with extraOptions from one store, imports into another; what the file held.
std::string RoundTrip(const std::vector<std::string>& extraOptions, Tree* written, Tree* read) {
  test::CliRunner source, target;
  std::string error;
  auto sourceStore = OpenRegistryStore(source.Store(), &error);
  if (!sourceStore) return error;
  *written = FillWithTexts(*sourceStore, extraOptions.empty());
  std::vector<std::string> exportLine{"reg", "export", "HKCU\\" + kKey, source.File("out.reg").string()};
  exportLine.insert(exportLine.end(), extraOptions.begin(), extraOptions.end());
  const CliResult exported = source.Run(exportLine);
  EXPECT_EQ(exported.exitStatus, 0) << exported.err;
  const CliResult imported = target.Run({"reg", "import", source.File("out.reg").string()});
  EXPECT_EQ(imported.exitStatus, 0) << imported.err;
  auto targetStore = OpenRegistryStore(target.Store(), &error);
  if (targetStore) *read = ReadTree(*targetStore, kKey);
  return ReadAll(source.File("out.reg"));
}

TEST(RegFileRoundTrip, Version5InUtf16KeepsEveryCharacter) {
  Tree written, read;
  const std::string file = RoundTrip({}, &written, &read);
  EXPECT_EQ(read, written);
  EXPECT_TRUE(file.starts_with("\xFF\xFE" + Utf16("Windows Registry Editor Version 5.00\r\n")));
  // Text in hex data is UTF-16LE: "café" is 63,00,61,00,66,00,e9,00.
  EXPECT_NE(file.find(Utf16("\"expand 1\"=hex(2):63,00,61,00,66,00,e9,00,")), std::string::npos);
}

TEST(RegFileRoundTrip, Regedit4KeepsEveryCharacterOfWindows1252) {
  Tree written, read;
  const std::string file = RoundTrip({"--regedit4"}, &written, &read);
  EXPECT_EQ(read, written);
  EXPECT_TRUE(file.starts_with("REGEDIT4\r\n"));
  // Windows-1252 text stays readable text, and in hex data it is the code page's bytes.
  EXPECT_NE(file.find("\"sz 1\"=\"caf\xE9 \x80 \x96\""), std::string::npos) << file;
  EXPECT_NE(file.find("\"expand 1\"=hex(2):63,61,66,e9,20,80,20,96,00"), std::string::npos) << file;
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Zentrofast Test\\K\xE4se \x80]"), std::string::npos);
}

// A registry editor reads REGEDIT4 text as code-page bytes: what the code page cannot carry would
// come back as other characters (中文 as ä¸­æ–‡), so the export is refused, naming the value.
TEST(RegFileRoundTrip, Regedit4RefusesWhatWindows1252CannotCarry) {
  struct Case {
    std::string name;
    std::uint32_t type;
    Bytes data;
  };
  const std::vector<Case> cases{
      {"☃", REG_SZ, {0}},
      {"chinese", REG_SZ, Sz("中文")},
      {"expand", REG_EXPAND_SZ, Sz("%HOME%\\中文")},
      {"multi", REG_MULTI_SZ, Multi({"a", "☃"})},
      {"reads as UTF-8", REG_SZ, Sz("Ã¤")},  // its code-page bytes C3 A4 are UTF-8 for ä
  };
  for (const Case& c : cases) {
    test::CliRunner cli;
    std::string error;
    auto store = OpenRegistryStore(cli.Store(), &error);
    ASSERT_TRUE(store) << error;
    HKEY key = 0;
    ASSERT_EQ(store->CreateKey(HKEY_CURRENT_USER, kKey, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    store->SetValue(key, "fits", REG_SZ, Sz("café"));
    store->SetValue(key, c.name, c.type, c.data);
    store->CloseKey(key);
    const CliResult result = cli.Run({"reg", "export", "HKCU\\" + kKey, cli.File("out.reg").string(), "--regedit4"});
    EXPECT_EQ(result.exitStatus, 1) << c.name;
    EXPECT_NE(result.err.find("the value \"" + c.name + "\""), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("without --regedit4"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(cli.File("out.reg")));
    EXPECT_EQ(cli.Run({"reg", "export", "HKCU\\" + kKey, cli.File("out.reg").string()}).exitStatus, 0);
  }
}

}  // namespace
}  // namespace zf
