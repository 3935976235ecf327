// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SettingsBackup.h"

#include "core/CRegister.h"
#include "core/RegistryStatus.h"
#include "core/TuningLayout.h"
#include "core/TuningWriter.h"

namespace zf {
namespace {

// Records current values for one backup: a number as read, 0 for a missing value, and 0 with a
// note for a value that holds no number a restore could write back.
class Recorder {
 public:
  Recorder(IRegistry& registry, const TuningLayout& layout, BackupTextWriter& out)
      : m_values(registry, layout), m_out(out) {}

  void Group(HKEY hive, std::string_view keyLine, std::string_view readKey, const std::vector<LayoutValue>& values) {
    m_out.Text(keyLine);
    for (const LayoutValue& value : values) {
      m_out.Text(value.name);
      if (!value.field) {
        m_out.Value(value.fixed);
        continue;
      }
      const double number = Read(hive, readKey, value.name);
      m_out.Value(value.recordedAsFlag ? (number != 0 ? 1 : 0) : number);
    }
  }

  std::vector<std::string> TakeUnkept() { return std::move(m_unkept); }

 private:
  double Read(HKEY hive, std::string_view key, std::string_view name) {
    const StoredNumber stored = m_values.Read(hive, key, name);
    if (stored.kind == StoredNumber::Kind::Number) return static_cast<double>(stored.value);
    if (stored.kind == StoredNumber::Kind::NoNumber)
      m_unkept.push_back(ValuePathText(hive, key, name) + ": " + stored.excerpt + "; it records 0.");
    return 0;
  }

  StoredValues m_values;
  BackupTextWriter& m_out;
  std::vector<std::string> m_unkept;
};

std::vector<std::string> RecordLayout(IRegistry& registry, const TuningLayout& layout, BackupTextWriter& out) {
  Recorder recorder(registry, layout, out);
  for (const LayoutGroup& group : layout.groups) recorder.Group(group.hive, group.key, group.valuesKey, group.values);
  std::vector<std::string> subkeys;
  EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, layout.interfacesKey, &subkeys);
  for (const std::string& name : subkeys) {
    for (const InterfaceGroup& group : layout.interfaceGroups) {
      const std::string key = group.key(name);
      recorder.Group(HKEY_LOCAL_MACHINE, key, key, group.values);
    }
  }
  return recorder.TakeUnkept();
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

  Status ReadAll(const TuningLayout& layout) {
    for (const LayoutGroup& group : layout.groups) {
      const int pairs = static_cast<int>(group.values.size());
      if (Status s = ReadGroup(group.hive, pairs, false); s != Status::Ok) return s;
    }
    const int interfacePairs = static_cast<int>(layout.interfaceGroups.front().values.size());
    for (;;) {
      if (Status s = ReadGroup(HKEY_LOCAL_MACHINE, interfacePairs, true); s != Status::Ok) return s;
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
  const TuningLayout* layout = LayoutOfFamily(runningFamily);
  if (layout == nullptr)
    return Failed("OS family code " + std::to_string(runningFamily) + " has no registry layout to restore into.");

  RegistryBatch batch(registry);
  if (!batch.isOpen()) return Failed(StoreUnwritableText(batch.beginStatus()) + "; nothing was restored.");
  TuningWriter writer(registry, layout->valueType);
  GroupReader groups(reader, writer);
  const Status read = groups.ReadAll(*layout);
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
  if (const TuningLayout* layout = LayoutOfFamily(context.familyCode)) {
    std::vector<std::string> unkept = RecordLayout(context.registry, *layout, out);
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
