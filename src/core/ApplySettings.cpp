// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ApplySettings.h"

#include "core/CRegister.h"
#include "core/RegistryStatus.h"
#include "core/TuningLayout.h"
#include "core/TuningWriter.h"

namespace zf {
namespace {

bool Dropped(const LayoutValue& value, const TcpSettings& s) {
  return value.dropWith && FieldValue(s, *value.dropWith) == kDeleteMarker;
}

void WriteGroup(const LayoutGroup& group, const TcpSettings& s, TuningWriter& w) {
  for (const LayoutValue& value : group.values) {
    if (value.recordedOnly) continue;
    if (!value.field) {
      w.Write(group.hive, group.key, value.name, value.fixed);
      continue;
    }
    w.WriteOrDelete(group.hive, group.valuesKey, value.name, FieldValue(s, *value.field), Dropped(value, s));
  }
}

// Every interface gets its values one at a time, each into all of the keys that keep it.
void WriteInterface(const TuningLayout& layout, std::string_view name, const TcpSettings& s, TuningWriter& w) {
  const std::size_t count = layout.interfaceGroups.front().values.size();
  for (std::size_t i = 0; i < count; ++i) {
    for (const InterfaceGroup& group : layout.interfaceGroups) {
      const LayoutValue& value = group.values[i];
      w.WriteOrDelete(HKEY_LOCAL_MACHINE, group.key(name), value.name, FieldValue(s, *value.field), Dropped(value, s));
    }
  }
}

void WriteLayout(IRegistry& registry, const TuningLayout& layout, const TcpSettings& s, TuningWriter& w) {
  for (const LayoutGroup& group : layout.groups)
    if (!group.writtenLast) WriteGroup(group, s, w);
  std::vector<std::string> interfaces;
  EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, layout.interfacesKey, &interfaces);
  for (const std::string& name : interfaces) WriteInterface(layout, name, s, w);
  for (const LayoutGroup& group : layout.groups)
    if (group.writtenLast) WriteGroup(group, s, w);
}

ApplyResult Ended(ApplyOutcome outcome, std::string reason) {
  ApplyResult result;
  result.outcome = outcome;
  result.reason = std::move(reason);
  return result;
}

}  // namespace

ApplyResult ApplySettings(const TuningContext& context, const TcpSettings& settings) {
  const std::int16_t family = context.familyCode;
  const TuningLayout* layout = LayoutOfFamily(family);
  if (layout == nullptr)
    return Ended(ApplyOutcome::Skipped,
                 "OS family code " + std::to_string(family) + " has no registry layout; nothing was written.");

  // Opened before the backup reads, so no other writer slips in between what the backup records
  // and what replaces it.
  RegistryBatch batch(context.registry);
  if (!batch.isOpen())
    return Ended(ApplyOutcome::Failed, StoreUnwritableText(batch.beginStatus()) + "; no setting was changed.");
  const TakenBackup backup = WriteSettingsBackup(context);
  if (!backup.ok())
    return Ended(ApplyOutcome::Refused, "No backup could be taken, so no setting was changed. " + backup.error);

  TuningWriter writer(context.registry, layout->valueType);
  WriteLayout(context.registry, *layout, settings, writer);
  if (const LONG status = batch.commit(); status != ERROR_SUCCESS) {
    ApplyResult failed = Ended(ApplyOutcome::Failed, "The registry store could not save the new settings (" +
                                                         RegistryStatusText(status) + "); no setting was changed.");
    failed.backupFile = backup.path;
    failed.unkeptValues = backup.unkeptValues;
    return failed;
  }
  ApplyResult result = Ended(ApplyOutcome::Applied, {});
  result.backupFile = backup.path;
  result.failedWrites = writer.failures();
  result.unkeptValues = backup.unkeptValues;
  return result;
}

}  // namespace zf
