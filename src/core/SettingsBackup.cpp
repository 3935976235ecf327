#include "core/SettingsBackup.h"

#include <fstream>
#include <optional>

#include "core/CRegister.h"
#include "core/TuningKeys.h"
#include "core/TuningWriter.h"

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

// Reads current values for one backup through one CRegister.
class CurrentValues {
 public:
  // spelledTexts: a text value counts as the number it spells (the 9x layout keeps its numbers
  // as text, and their character codes would restore as a different number).
  CurrentValues(IRegistry& registry, bool spelledTexts)
      : m_registry(registry), m_register(registry), m_spelledTexts(spelledTexts) {}

  double Read(HKEY hive, std::string_view key, std::string_view name) {
    if (m_spelledTexts) {
      if (auto text = TextValue(hive, key, name)) return RegScalar(*text).ToInt32().value_or(0);
    }
    return m_register.myREGGetSetting(hive, key, name);
  }

 private:
  std::optional<std::string> TextValue(HKEY hive, std::string_view key, std::string_view name) {
    HKEY handle = 0;
    if (m_registry.OpenKey(hive, key, KEY_READ, &handle) != ERROR_SUCCESS) return std::nullopt;
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;
    const LONG status = m_registry.QueryValue(handle, name, &type, &data);
    m_registry.CloseKey(handle);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
  }

  IRegistry& m_registry;
  CRegister m_register;
  bool m_spelledTexts;
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

void RecordLayout(IRegistry& registry, bool is9x, BackupTextWriter& out) {
  CurrentValues values(registry, is9x);
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
}

bool Is9xFamily(std::int16_t code) { return code >= 1 && code <= 4; }
bool IsNTFamily(std::int16_t code) { return code >= 5 && code <= 7; }

// --- restoring ---

using Status = BackupTextReader::Status;

struct RestoreWrite {
  HKEY hive;
  std::string key;
  std::string name;
  std::int32_t value;
};

// A file of a plausible size read whole; a backup of even a hundred interfaces is a few dozen KiB.
constexpr std::uintmax_t kLargestBackupFile = 16u << 20;

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, std::string* error) {
  std::error_code sizeError;
  const auto size = std::filesystem::file_size(file, sizeError);
  std::ifstream in(file, std::ios::binary);
  if (sizeError || !in) {
    *error = "Cannot open " + file.string() + (sizeError ? ": " + sizeError.message() : std::string()) + ".";
    return std::nullopt;
  }
  if (size > kLargestBackupFile) {
    *error = file.filename().string() + " is too large to be a backup file.";
    return std::nullopt;
  }
  std::string bytes(size, '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(size))) {
    *error = "Cannot read " + file.string() + ".";
    return std::nullopt;
  }
  return bytes;
}

Status ReadPairs(BackupTextReader& reader, HKEY hive, const std::string& key, int count,
                 std::vector<RestoreWrite>* writes) {
  for (int i = 0; i < count; ++i) {
    std::string name;
    std::int32_t value = 0;
    if (Status s = reader.ReadText(&name); s != Status::Ok) return s;
    if (Status s = reader.ReadValue(&value); s != Status::Ok) return s;
    writes->push_back({hive, key, std::move(name), value});
  }
  return Status::Ok;
}

// Reads the groups after the header: three of fixed sizes, then groups of two pairs until an
// empty key line. Returns End when the file was read to its end, Error at a read error.
Status ReadGroups(BackupTextReader& reader, bool is9x, std::vector<RestoreWrite>* writes) {
  const struct {
    HKEY hive;
    int pairs;
  } fixed[] = {{HKEY_LOCAL_MACHINE, is9x ? 10 : 13}, {HKEY_CURRENT_USER, 2}, {HKEY_LOCAL_MACHINE, 1}};
  std::string key;
  for (const auto& group : fixed) {
    if (Status s = reader.ReadText(&key); s != Status::Ok) return s;
    if (Status s = ReadPairs(reader, group.hive, key, group.pairs, writes); s != Status::Ok) return s;
  }
  for (;;) {
    if (Status s = reader.ReadText(&key); s != Status::Ok) return s;
    if (key.empty()) return Status::End;
    if (Status s = ReadPairs(reader, HKEY_LOCAL_MACHINE, key, 2, writes); s != Status::Ok) return s;
  }
}

RestoreResult Failed(std::string description) {
  RestoreResult result;
  result.outcome = RestoreOutcome::Failed;
  result.description = std::move(description);
  return result;
}

std::string ValuesText(int count) { return count == 1 ? "1 value" : std::to_string(count) + " values"; }

}  // namespace

BackupPathResult WriteSettingsBackup(const TuningContext& context) {
  BackupTextWriter out;
  out.Header(BackupStamp::FromLocalTime(context.clock.Now()), context.familyCode);
  if (Is9xFamily(context.familyCode) || IsNTFamily(context.familyCode))
    RecordLayout(context.registry, Is9xFamily(context.familyCode), out);
  return StoreNewBackup(context.backupsFolder, out.bytes());
}

RestoreResult RestoreSettingsBackup(IRegistry& registry, std::int16_t runningFamily,
                                    const std::filesystem::path& file) {
  std::string error;
  const auto bytes = ReadWholeFile(file, &error);
  if (!bytes) return Failed(error);
  return RestoreBackupBytes(registry, runningFamily, file.filename().string(), *bytes);
}

RestoreResult RestoreBackupBytes(IRegistry& registry, std::int16_t runningFamily, const std::string& name,
                                 std::string_view bytes) {
  BackupTextReader reader(bytes);
  BackupHeader header;
  if (reader.ReadHeader(&header) != Status::Ok) return Failed(name + " is not a backup file (" + reader.error() + ").");

  RestoreResult result;
  result.fileFamilyCode = header.familyCode;
  if (header.familyCode != runningFamily) {
    result.outcome = RestoreOutcome::Refused;
    result.description = kOtherOSBackupMessage;
    return result;
  }
  if (!Is9xFamily(runningFamily) && !IsNTFamily(runningFamily))
    return Failed("OS family code " + std::to_string(runningFamily) + " has no registry layout to restore into.");

  const bool is9x = Is9xFamily(runningFamily);
  std::vector<RestoreWrite> writes;
  const Status read = ReadGroups(reader, is9x, &writes);

  RegistryBatch batch(registry);
  if (!batch.isOpen())
    return Failed(
        "The registry store cannot be written (it is read-only or busy with another program); nothing was restored.");
  TuningWriter writer(registry, is9x ? REG_SZ : REG_DWORD);
  for (const RestoreWrite& write : writes) writer.Write(write.hive, write.key, write.name, write.value);
  if (const LONG status = batch.commit(); status != ERROR_SUCCESS)
    return Failed("The registry store could not save the restored values (" + RegistryStatusText(status) +
                  "); nothing was restored.");

  result.valuesWritten = writer.calls() - static_cast<int>(writer.failures().size());
  result.failedWrites = writer.failures();
  if (read == Status::Error) {
    result.outcome = RestoreOutcome::Failed;
    result.description = name + " is damaged at " + reader.error() + ". The " + ValuesText(result.valuesWritten) +
                         " before it " + (result.valuesWritten == 1 ? "was" : "were") + " restored.";
  } else {
    result.outcome = RestoreOutcome::Completed;
  }
  return result;
}

}  // namespace zf
