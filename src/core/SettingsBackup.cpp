// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SettingsBackup.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include "core/CRegister.h"
#include "core/RegistryStatus.h"
#include "core/TuningKeys.h"
#include "core/TuningWriter.h"
#include "core/mdlOSVersion.h"

namespace zf {
namespace {

// How a pair's value line is filled.
enum class Recorded { Fixed, AsRead, AsFlag };

struct RecordedPair {
  std::string_view name;
  Recorded how = Recorded::AsRead;
  int fixedValue = 0;
};

struct RecordedGroup {
  HKEY hive;
  std::string_view keyLine;
  std::string_view readKey;  // the spelling the values are read under
  std::vector<RecordedPair> pairs;
};

const std::vector<RecordedGroup>& Groups9x() {
  static const std::vector<RecordedGroup> groups{
      {HKEY_LOCAL_MACHINE,
       kMstcpKey,
       kMstcpKey,
       {{"SackOpts", Recorded::Fixed, 1},
        {"Tcp1323Opts", Recorded::Fixed, 1},
        {"DefaultTTL"},
        {"DefaultRcvWindow"},
        {"GlobalMaxTcpWindowSize"},
        {"PMTUBlackHoleDetect", Recorded::AsFlag},
        {"DefaultRcvWindow"},
        {"PMTUDiscovery", Recorded::AsFlag},
        {"KeepAliveTime"},
        {"KeepAliveInterval"}}},
      {HKEY_CURRENT_USER,
       kInternetSettings9xKey,
       kInternetSettings9xKey,
       {{"MaxConnectionsPer1_0Server"}, {"MaxConnectionsPerServer"}}},
      {HKEY_LOCAL_MACHINE, kCacheSizeKey, kCacheSizeKey, {{""}}},
  };
  return groups;
}

const std::vector<RecordedGroup>& GroupsNT() {
  static const std::vector<RecordedGroup> groups{
      {HKEY_LOCAL_MACHINE,
       kTcpipParametersKey,
       kTcpipParametersLowerKey,
       {{"SackOpts", Recorded::Fixed, 1},
        {"Tcp1323Opts", Recorded::Fixed, 1},
        {"TcpMaxDupAcks", Recorded::Fixed, 2},
        {"DefaultReceiveWindow", Recorded::Fixed, 8192},
        {"DefaultTTL"},
        {"GlobalMaxTcpWindowSize"},
        {"TcpWindowSize"},
        {"EnablePMTUBHDetect"},
        {"EnablePMTUDiscovery"},
        {"KeepAliveTime"},
        {"KeepAliveInterval"},
        {"SYNAttackProtect"},
        {"EnableICMPRedirects"}}},
      {HKEY_CURRENT_USER,
       kInternetSettingsNTKey,
       kInternetSettingsNTKey,
       {{"MaxConnectionsPer1_0Server"}, {"MaxConnectionsPerServer"}}},
      {HKEY_LOCAL_MACHINE, kCacheSizeKey, kCacheSizeKey, {{""}}},
  };
  return groups;
}

// The range of numbers a layout's text values may spell: the 9x layout restores them as the text
// of a signed 32-bit number, the NT layout as a REG_DWORD.
struct SpelledRange {
  std::int64_t lowest;
  std::int64_t highest;
};

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<std::int64_t> SpelledNumber(std::string_view text, SpelledRange range) {
  text = TrimBlanks(text);
  if (text.starts_with('+')) text.remove_prefix(1);
  std::int64_t number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (number < range.lowest || number > range.highest) return std::nullopt;
  return number;
}

std::string ValuePath(HKEY hive, std::string_view key, std::string_view name) {
  return std::string(hive == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") + std::string(key) + " " +
         (name.empty() ? std::string("(default)") : std::string(name));
}

// Reads current values for one backup. A group's values share one key, so the key last read
// stays open for the next value instead of being looked up again for each.
class CurrentValues {
 public:
  CurrentValues(IRegistry& registry, SpelledRange spelled) : m_registry(registry), m_spelled(spelled) {}
  ~CurrentValues() { CloseKey(); }
  CurrentValues(const CurrentValues&) = delete;
  CurrentValues& operator=(const CurrentValues&) = delete;

  // A text value counts as the number it spells: its character codes would restore as another
  // number. A text that spells none it can keep is recorded as 0 and noted. Any other value is
  // its raw bytes as a little-endian number; a missing key or value reads as 0.
  double Read(HKEY hive, std::string_view key, std::string_view name) {
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;
    if (!OpenKey(hive, key) || m_registry.QueryValue(m_handle, name, &type, &data) != ERROR_SUCCESS) return 0;
    if (type != REG_SZ) return LittleEndianNumber(data);
    std::string text(data.begin(), data.end());
    text.resize(std::min(text.size(), text.find('\0')));
    if (TrimBlanks(text).empty()) return 0;
    if (const auto number = SpelledNumber(text, m_spelled)) return static_cast<double>(*number);
    m_unkept.push_back(ValuePath(hive, key, name) + ": the text " + QuotedExcerpt(text) +
                       " is no number the backup can keep; it records 0.");
    return 0;
  }

  std::vector<std::string> TakeUnkept() { return std::move(m_unkept); }

 private:
  bool OpenKey(HKEY hive, std::string_view key) {
    if (m_open && m_hive == hive && m_key == key) return m_handle != 0;
    CloseKey();
    m_open = true;
    m_hive = hive;
    m_key = key;
    if (m_registry.OpenKey(hive, key, KEY_READ, &m_handle) != ERROR_SUCCESS) m_handle = 0;
    return m_handle != 0;
  }

  void CloseKey() {
    if (m_handle != 0) m_registry.CloseKey(m_handle);
    m_handle = 0;
    m_open = false;
  }

  IRegistry& m_registry;
  SpelledRange m_spelled;
  std::vector<std::string> m_unkept;
  bool m_open = false;
  HKEY m_hive = 0;
  std::string m_key;
  HKEY m_handle = 0;
};

void RecordGroup(const RecordedGroup& group, CurrentValues& values, BackupTextWriter& out) {
  out.Text(group.keyLine);
  for (const RecordedPair& pair : group.pairs) {
    out.Text(pair.name);
    if (pair.how == Recorded::Fixed) {
      out.Value(pair.fixedValue);
      continue;
    }
    const double value = values.Read(group.hive, group.readKey, pair.name);
    out.Value(pair.how == Recorded::AsFlag ? (value != 0 ? 1 : 0) : value);
  }
}

void RecordSubkeyGroup(std::string_view key, std::string_view first, std::string_view second, CurrentValues& values,
                       BackupTextWriter& out) {
  out.Text(key);
  for (std::string_view name : {first, second}) {
    out.Text(name);
    out.Value(values.Read(HKEY_LOCAL_MACHINE, key, name));
  }
}

std::vector<std::string> RecordLayout(IRegistry& registry, bool is9x, BackupTextWriter& out) {
  constexpr SpelledRange k9xRange{std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
  constexpr SpelledRange kNTRange{std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::uint32_t>::max()};
  CurrentValues values(registry, is9x ? k9xRange : kNTRange);
  for (const RecordedGroup& group : is9x ? Groups9x() : GroupsNT()) RecordGroup(group, values, out);
  std::vector<std::string> subkeys;
  EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, is9x ? kNetTransKey : kInterfacesKey, &subkeys);
  for (const std::string& name : subkeys) {
    if (is9x) {
      RecordSubkeyGroup(SubkeyPath(kNetTransKey, name), "MaxMTU", "MaxMSS", values, out);
    } else {
      RecordSubkeyGroup(SubkeyPath(kInterfacesKey, name), "MTU", "MSS", values, out);
      RecordSubkeyGroup(AdapterKey(name), "MTU", "MSS", values, out);
    }
  }
  return values.TakeUnkept();
}

// --- restoring ---

using Status = BackupTextReader::Status;

// A backup of even a hundred interfaces is a few dozen KiB.
constexpr std::uintmax_t kLargestBackupFile = 16u << 20;

// Reads the groups after the header into the writer, a pair at a time: three of fixed sizes,
// then groups of two pairs until an empty key line or the end of the file. The file may end only
// right after a whole group; any other end is a file cut short, which sets cutShort.
class GroupReader {
 public:
  GroupReader(BackupTextReader& reader, TuningWriter& writer) : m_reader(reader), m_writer(writer) {}

  Status ReadAll(bool is9x) {
    const struct {
      HKEY hive;
      int pairs;
    } fixed[] = {{HKEY_LOCAL_MACHINE, is9x ? 10 : 13}, {HKEY_CURRENT_USER, 2}, {HKEY_LOCAL_MACHINE, 1}};
    for (const auto& group : fixed) {
      if (Status s = ReadGroup(group.hive, group.pairs, false); s != Status::Ok) return s;
    }
    for (;;) {
      if (Status s = ReadGroup(HKEY_LOCAL_MACHINE, 2, true); s != Status::Ok) return s;
    }
  }

  // Where the file ended too early, as the restore's description says it.
  const std::string& cutShort() const { return m_cutShort; }

 private:
  // Ok for a whole group; End at the end of the file after a whole group, or at an empty key
  // line where the repeated groups begin; Error otherwise.
  Status ReadGroup(HKEY hive, int pairs, bool repeated) {
    std::string key;
    const std::size_t keyLine = m_reader.lineNumber() + 1;
    const Status keyStatus = m_reader.ReadText(&key);
    if (keyStatus == Status::End && m_wholeGroups > 0) return Status::End;
    if (keyStatus == Status::End) return CutShort("before its first group");
    if (keyStatus != Status::Ok) return keyStatus;
    if (repeated && key.empty()) return Status::End;
    for (int i = 0; i < pairs; ++i) {
      std::string name;
      std::int32_t value = 0;
      Status s = m_reader.ReadText(&name);
      if (s == Status::Ok) s = m_reader.ReadValue(&value);
      if (s == Status::End) return CutShort("inside the group whose key line is line " + std::to_string(keyLine));
      if (s != Status::Ok) return s;
      m_writer.Write(hive, key, name, value);
    }
    ++m_wholeGroups;
    return Status::Ok;
  }

  Status CutShort(const std::string& where) {
    m_cutShort = "it ends after line " + std::to_string(m_reader.lineNumber()) + ", " + where;
    return Status::Error;
  }

  BackupTextReader& m_reader;
  TuningWriter& m_writer;
  int m_wholeGroups = 0;
  std::string m_cutShort;
};

RestoreResult Failed(std::string description) {
  RestoreResult result;
  result.outcome = RestoreOutcome::Failed;
  result.description = std::move(description);
  return result;
}

std::string ValuesText(int count) { return count == 1 ? "1 value" : std::to_string(count) + " values"; }

RestoreResult RestoreBackupLines(IRegistry& registry, std::int16_t runningFamily, const std::string& name,
                                 BackupLineSource& lines) {
  BackupTextReader reader(lines);
  BackupHeader header;
  if (reader.ReadHeader(&header) != Status::Ok) return Failed(name + " is not a backup file (" + reader.error() + ").");

  RestoreResult result;
  result.fileFamilyCode = header.familyCode;
  if (header.familyCode != runningFamily) {
    result.outcome = RestoreOutcome::Refused;
    result.description = kOtherOSBackupMessage;
    return result;
  }
  if (!OSFamily::Is9xLayout(runningFamily) && !OSFamily::IsNTLayout(runningFamily))
    return Failed("OS family code " + std::to_string(runningFamily) + " has no registry layout to restore into.");

  const bool is9x = OSFamily::Is9xLayout(runningFamily);
  RegistryBatch batch(registry);
  if (!batch.isOpen()) return Failed(StoreUnwritableText(batch.beginStatus()) + "; nothing was restored.");
  TuningWriter writer(registry, is9x ? REG_SZ : REG_DWORD);
  GroupReader groups(reader, writer);
  const Status read = groups.ReadAll(is9x);
  if (const LONG status = batch.commit(); status != ERROR_SUCCESS)
    return Failed("The registry store could not save the restored values (" + RegistryStatusText(status) +
                  "); nothing was restored.");

  result.valuesWritten = writer.calls() - static_cast<int>(writer.failures().size());
  result.failedWrites = writer.failures();
  if (read == Status::Error) {
    result.outcome = RestoreOutcome::Failed;
    const std::string restored = ". The " + ValuesText(result.valuesWritten) + " before it " +
                                 (result.valuesWritten == 1 ? "was" : "were") + " restored.";
    result.description = groups.cutShort().empty() ? name + " is damaged at " + reader.error() + restored
                                                   : name + " is cut short: " + groups.cutShort() + restored;
  } else {
    result.outcome = RestoreOutcome::Completed;
  }
  return result;
}

}  // namespace

TakenBackup WriteSettingsBackup(const TuningContext& context) {
  TakenBackup taken;
  const std::string bytes = SettingsBackupBytes(context, &taken.unkeptValues);
  BackupPathResult stored = StoreNewBackup(context.backupsFolder, bytes);
  taken.path = std::move(stored.path);
  taken.error = std::move(stored.error);
  return taken;
}

std::string SettingsBackupBytes(const TuningContext& context, std::vector<std::string>* unkeptValues) {
  BackupTextWriter out;
  out.Header(BackupStamp::FromLocalTime(context.clock.Now()), context.familyCode);
  if (OSFamily::Is9xLayout(context.familyCode) || OSFamily::IsNTLayout(context.familyCode)) {
    std::vector<std::string> unkept = RecordLayout(context.registry, OSFamily::Is9xLayout(context.familyCode), out);
    if (unkeptValues != nullptr) *unkeptValues = std::move(unkept);
  }
  return out.bytes();
}

RestoreResult RestoreSettingsBackup(IRegistry& registry, std::int16_t runningFamily,
                                    const std::filesystem::path& file) {
  OpenedRegularFile opened = OpenBackupFile(file);
  if (!opened.ok()) return Failed(opened.error);
  const std::string name = file.filename().string();
  if (opened.size > kLargestBackupFile) return Failed(name + " is too large to be a backup file.");
  BackupFileLines lines(std::move(opened.fd), file.string());
  return RestoreBackupLines(registry, runningFamily, name, lines);
}

RestoreResult RestoreBackupBytes(IRegistry& registry, std::int16_t runningFamily, const std::string& name,
                                 std::string_view bytes) {
  BackupBytesLines lines(bytes);
  return RestoreBackupLines(registry, runningFamily, name, lines);
}

}  // namespace zf
