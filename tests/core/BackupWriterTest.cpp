// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of backup files, built here line by line from the layout tables.
#include <gtest/gtest.h>

#include "core/SettingsBackup.h"
#include "support/BackupFiles.h"
#include "support/Fakes.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf {
namespace {

using test::CrLfLines;
using test::FileBytes;
std::string Quote(const std::string& s) { return test::Quoted(s); }

const std::string kTcpip = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kInterfaces = kTcpip + "\\Interfaces";
const std::string kMstcp = "HKLM\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const std::string kNetTrans = "HKLM\\System\\CurrentControlSet\\Services\\Class\\NetTrans";
const std::string kCache = "HKLM\\System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";
const std::string kBrowser = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Lines 1 to 38 of an NT backup: tcpip holds the nine current values of the first group from
// "DefaultTTL" on, browser the two connection limits.
std::vector<std::string> NTLines(const std::vector<std::string>& tcpip, const std::vector<std::string>& browser,
                                 const std::string& cache) {
  std::vector<std::string> lines{"#2026-12-07#",
                                 "#09:05:03#",
                                 "7",
                                 Quote("System\\CurrentControlSet\\Services\\Tcpip\\Parameters"),
                                 Quote("SackOpts"),
                                 "1",
                                 Quote("Tcp1323Opts"),
                                 "1",
                                 Quote("TcpMaxDupAcks"),
                                 "2",
                                 Quote("DefaultReceiveWindow"),
                                 "8192"};
  const char* names[] = {"DefaultTTL",         "GlobalMaxTcpWindowSize", "TcpWindowSize",
                         "EnablePMTUBHDetect", "EnablePMTUDiscovery",    "KeepAliveTime",
                         "KeepAliveInterval",  "SYNAttackProtect",       "EnableICMPRedirects"};
  for (int i = 0; i < 9; ++i) lines.insert(lines.end(), {Quote(names[i]), tcpip.at(i)});
  lines.insert(lines.end(),
               {Quote("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"),
                Quote("MaxConnectionsPer1_0Server"), browser.at(0), Quote("MaxConnectionsPerServer"), browser.at(1)});
  lines.insert(lines.end(),
               {Quote("System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize"), Quote(""), cache});
  return lines;
}

// Lines 1 to 32 of a 9x backup (family 3); mstcp holds the eight current values of the first
// group from "DefaultTTL" on.
std::vector<std::string> Lines9x(const std::vector<std::string>& mstcp, const std::vector<std::string>& browser,
                                 const std::string& cache) {
  std::vector<std::string> lines{"#2026-12-07#",
                                 "#09:05:03#",
                                 "3",
                                 Quote("System\\CurrentControlSet\\Services\\VxD\\MSTCP"),
                                 Quote("SackOpts"),
                                 "1",
                                 Quote("Tcp1323Opts"),
                                 "1"};
  const char* names[] = {"DefaultTTL",       "DefaultRcvWindow", "GlobalMaxTcpWindowSize", "PMTUBlackHoleDetect",
                         "DefaultRcvWindow", "PMTUDiscovery",    "KeepAliveTime",          "KeepAliveInterval"};
  for (int i = 0; i < 8; ++i) lines.insert(lines.end(), {Quote(names[i]), mstcp.at(i)});
  lines.insert(lines.end(),
               {Quote("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"),
                Quote("MaxConnectionsPer1_0Server"), browser.at(0), Quote("MaxConnectionsPerServer"), browser.at(1)});
  lines.insert(lines.end(),
               {Quote("System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize"), Quote(""), cache});
  return lines;
}

void AddGroup(std::vector<std::string>& lines, const std::string& key, const std::string& first,
              const std::string& firstValue, const std::string& second, const std::string& secondValue) {
  lines.insert(lines.end(), {Quote(key), Quote(first), firstValue, Quote(second), secondValue});
}

class BackupWriterTest : public ::testing::Test {
 protected:
  std::filesystem::path Take(std::int16_t family) {
    TakenBackup result = WriteSettingsBackup({registry, clock, folder / "Backups", family});
    EXPECT_TRUE(result.ok()) << result.error;
    unkept = std::move(result.unkeptValues);
    return result.path;
  }
  std::vector<std::string> unkept;

  test::TempDir folder;
  test::MemoryRegistry registry;
  test::FakeClock clock;
  void SetUp() override { clock.now = test::LocalTime(2026, 12, 7, 9, 5, 3); }
};

TEST_F(BackupWriterTest, NTLayoutWithNoInterfacesEndsAfterLine38AndRecordsMissingValuesAsZero) {
  const auto path = Take(7);
  EXPECT_EQ(path.filename(), "001.BCK");
  const std::vector<std::string> zeros(9, "0");
  const std::string expected = CrLfLines(NTLines(zeros, {"0", "0"}, "0"));
  EXPECT_EQ(FileBytes(path), expected);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 38);
}

TEST_F(BackupWriterTest, NTLayoutRecordsValuesAsReadAndTwoGroupsPerInterfaceInEnumerationOrder) {
  registry.PutDword(kTcpip, "DefaultTTL", 128);
  registry.PutDword(kTcpip, "GlobalMaxTcpWindowSize", 65535);
  registry.PutDword(kTcpip, "TcpWindowSize", -1);       // top bit set: recorded unsigned
  registry.PutDword(kTcpip, "EnablePMTUDiscovery", 5);  // no reduction on this layout
  registry.PutDword(kTcpip, "KeepAliveTime", 7200000);
  registry.PutDword(kTcpip, "EnableICMPRedirects", 1);
  registry.PutDword(kTcpip, "SackOpts", 0);  // fixed values are written without reading
  registry.PutDword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                    "MaxConnectionsPer1_0Server", 4);
  registry.PutDword(kCache, "", 32);
  registry.PutDword(kInterfaces + "\\{B-2}", "MTU", 1500);
  registry.PutDword(kInterfaces + "\\{a-1}", "MTU", 576);
  registry.PutDword(kInterfaces + "\\{a-1}", "MSS", 536);
  registry.PutDword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\{a-1}\\Parameters\\Tcpip", "MSS", 1460);

  std::vector<std::string> lines =
      NTLines({"128", "65535", "4294967295", "0", "5", "7200000", "0", "0", "1"}, {"4", "0"}, "32");
  const std::string services = "SYSTEM\\CurrentControlSet\\Services\\";
  AddGroup(lines, services + "Tcpip\\Parameters\\Interfaces\\{a-1}", "MTU", "576", "MSS", "536");
  AddGroup(lines, services + "{a-1}\\Parameters\\Tcpip", "MTU", "0", "MSS", "1460");
  AddGroup(lines, services + "Tcpip\\Parameters\\Interfaces\\{B-2}", "MTU", "1500", "MSS", "0");
  AddGroup(lines, services + "{B-2}\\Parameters\\Tcpip", "MTU", "0", "MSS", "0");
  EXPECT_EQ(FileBytes(Take(7)), CrLfLines(lines));
  EXPECT_EQ(registry.OpenHandleCount(), 0);
}

TEST_F(BackupWriterTest, NTLayoutWithOneInterfaceHas48Lines) {
  registry.AddKey(kInterfaces + "\\{only}");
  const std::string bytes = FileBytes(Take(6));
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 48);
  EXPECT_TRUE(bytes.starts_with("#2026-12-07#\r\n#09:05:03#\r\n6\r\n"));
}

TEST_F(BackupWriterTest, NineXLayoutRecordsSpelledNumbersReducedFlagsAndTransports) {
  registry.PutText(kMstcp, "DefaultTTL", "64");  // its character codes would read 13366
  registry.PutText(kMstcp, "DefaultRcvWindow", "8760");
  registry.PutText(kMstcp, "PMTUBlackHoleDetect", "0");
  registry.PutText(kMstcp, "PMTUDiscovery", "5");
  registry.PutText(kMstcp, "KeepAliveTime", "7200000");
  registry.PutText(kMstcp, "KeepAliveInterval", "abc");  // not a number: recorded as 0 and noted
  registry.PutText(kBrowser, "MaxConnectionsPer1_0Server", "16");
  registry.PutDword(kBrowser, "MaxConnectionsPerServer", 8);  // a number stays a number
  registry.PutText(kCache, "", "32");
  registry.PutText(kNetTrans + "\\0001", "MaxMTU", "1500");
  registry.PutText(kNetTrans + "\\0000", "MaxMTU", "576");
  registry.PutText(kNetTrans + "\\0000", "MaxMSS", "536");

  std::vector<std::string> lines = Lines9x({"64", "8760", "0", "0", "8760", "1", "7200000", "0"}, {"16", "8"}, "32");
  AddGroup(lines, "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000", "MaxMTU", "576", "MaxMSS", "536");
  AddGroup(lines, "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001", "MaxMTU", "1500", "MaxMSS", "0");
  EXPECT_EQ(FileBytes(Take(3)), CrLfLines(lines));
  ASSERT_EQ(unkept.size(), 1u);
  EXPECT_NE(unkept[0].find("KeepAliveInterval"), std::string::npos) << unkept[0];
  EXPECT_NE(unkept[0].find("\"abc\""), std::string::npos) << unkept[0];
}

TEST_F(BackupWriterTest, NTLayoutRecordsTheNumberATextSpellsAndNotesTextsThatSpellNone) {
  registry.PutText(kTcpip, "DefaultTTL", "64");  // its character codes would read 13366
  registry.PutText(kTcpip, "GlobalMaxTcpWindowSize", " 65535 ");
  registry.PutText(kTcpip, "TcpWindowSize", "4294967295");  // a REG_DWORD's whole range
  registry.PutText(kTcpip, "KeepAliveTime", "abc");
  registry.PutText(kTcpip, "KeepAliveInterval", "4294967296");
  registry.PutText(kTcpip, "SYNAttackProtect", "");
  registry.PutDword(kTcpip, "EnableICMPRedirects", -1);  // 0xFFFFFFFF
  const std::string bytes = FileBytes(Take(7));
  EXPECT_EQ(bytes,
            CrLfLines(NTLines({"64", "65535", "4294967295", "0", "0", "0", "0", "0", "4294967295"}, {"0", "0"}, "0")));
  ASSERT_EQ(unkept.size(), 2u) << ::testing::PrintToString(unkept);
  EXPECT_NE(unkept[0].find("KeepAliveTime"), std::string::npos) << unkept[0];
  EXPECT_NE(unkept[1].find("KeepAliveInterval"), std::string::npos) << unkept[1];
  EXPECT_NE(unkept[1].find("4294967296"), std::string::npos) << unkept[1];
}

TEST_F(BackupWriterTest, NineXLayoutTrimsBlanksAndNotesNumbersBeyond32Bits) {
  registry.PutText(kMstcp, "DefaultTTL", "64 ");
  registry.PutText(kMstcp, "GlobalMaxTcpWindowSize", "\t-5");
  registry.PutText(kMstcp, "KeepAliveTime", "4294967295");  // restores as text of a signed number
  EXPECT_EQ(FileBytes(Take(3)), CrLfLines(Lines9x({"64", "0", "-5", "0", "0", "0", "0", "0"}, {"0", "0"}, "0")));
  ASSERT_EQ(unkept.size(), 1u) << ::testing::PrintToString(unkept);
  EXPECT_NE(unkept[0].find("KeepAliveTime"), std::string::npos) << unkept[0];
}

TEST_F(BackupWriterTest, ATextWithControlBytesIsNotedAsAPrintableExcerpt) {
  registry.PutText(kTcpip, "DefaultTTL", "6\x1b[2J4" + std::string(200, 'x'));
  Take(7);
  ASSERT_EQ(unkept.size(), 1u);
  EXPECT_EQ(unkept[0].find('\x1b'), std::string::npos) << unkept[0];
  EXPECT_NE(unkept[0].find("\\x1B"), std::string::npos) << unkept[0];
  EXPECT_LT(unkept[0].size(), 200u) << unkept[0];
}

TEST_F(BackupWriterTest, NineXLayoutWithoutNetTransEndsAfterTheCacheSizeGroup) {
  registry.PutText(kMstcp, "PMTUBlackHoleDetect", "2");
  EXPECT_EQ(FileBytes(Take(3)), CrLfLines(Lines9x({"0", "0", "0", "1", "0", "0", "0", "0"}, {"0", "0"}, "0")));
}

TEST_F(BackupWriterTest, OneClockReadingDatesTheBackup) {
  // Taken a moment before midnight: a second reading would pair the old date with the new day's time.
  struct MidnightClock : IClock {
    std::chrono::system_clock::time_point Now() override {
      return ++calls == 1 ? test::LocalTime(2026, 12, 7, 23, 59, 59) : test::LocalTime(2026, 12, 8, 0, 0, 0);
    }
    std::uint64_t TickCount() override { return 0; }
    int calls = 0;
  } midnight;
  const TakenBackup result = WriteSettingsBackup({registry, midnight, folder / "Backups", 7});
  ASSERT_TRUE(result.ok()) << result.error;
  EXPECT_TRUE(FileBytes(result.path).starts_with("#2026-12-07#\r\n#23:59:59#\r\n7\r\n"));
}

TEST(BackupValueFormat, PlainUpTo15DigitsThenExponentForm) {
  EXPECT_EQ(FormatBackupValue(0), "0");
  EXPECT_EQ(FormatBackupValue(-1), "-1");
  EXPECT_EQ(FormatBackupValue(4294967295.0), "4294967295");
  EXPECT_EQ(FormatBackupValue(999999999999999.0), "999999999999999");
  EXPECT_EQ(FormatBackupValue(1e15), "1E+15");
  // The bytes of the text "1234567" read as one little-endian number.
  EXPECT_EQ(FormatBackupValue(15540725856023089.0), "1.55407258560231E+16");
  EXPECT_EQ(FormatBackupValue(1.5e16), "1.5E+16");
}

}  // namespace
}  // namespace zf
