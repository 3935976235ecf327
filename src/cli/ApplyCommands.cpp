// SPDX-License-Identifier: GPL-3.0-or-later
#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <tuple>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "cli/FieldText.h"
#include "cli/JsonOutput.h"
#include "core/ApplySettings.h"
#include "core/BackupFormat.h"
#include "core/BackupStore.h"
#include "core/SettingsBackup.h"
#include "core/WholeNumber.h"

namespace zf::cli {
namespace {

struct ApplyOptions {
  std::optional<std::string> profile;
  std::optional<std::string> connectionType;
  std::vector<std::string> assignments;
};

struct ApplyRequest {
  TcpSettings settings;
  std::string start;  // what the settings started from, for the report
};

// Turns the apply options into a request; empty with the complaint printed when they do not make one.
std::optional<ApplyRequest> ParseApply(CliContext& context, const ApplyOptions& options) {
  auto complain = [&](const std::string& message) {
    context.UsageError(message);
    return std::nullopt;
  };
  if (options.profile.has_value() == options.connectionType.has_value())
    return complain(Say("apply needs either --profile N or --connection-type T, once"));
  std::optional<ApplyRequest> request;
  if (const auto& value = options.profile) {
    auto index = ParseWholeNumber(*value, WholeNumberForm::Signed, 0, kProfileCount - 1);
    if (!index) return complain(Say("--profile wants 0 to 7, not %1", QuotedExcerpt(*value)));
    request = ApplyRequest{Profiles()[*index], Say("profile %1 \"%2\"", *value, ProfileCaption(*index))};
  } else {
    const std::string& text = *options.connectionType;
    auto type = ParseWholeNumber(text, WholeNumberForm::Signed, 0, kConnectionTypeCount - 1);
    if (!type) return complain(Say("--connection-type wants 0 to 3, not \"%1\"", text));
    request = ApplyRequest{RecommendedSettings(static_cast<int>(*type)),
                           Say("connection type %1 \"%2\"", text, ConnectionType(*type).caption)};
  }
  for (const std::string& assignment : options.assignments) {
    if (std::string complaint = SetFieldFromAssignment(request->settings, assignment); !complaint.empty())
      return complain(complaint);
  }
  return request;
}

// The tool always says what failed, also the single values the screens pass over in silence.
int ReportFailedWrites(CliContext& context, const std::vector<std::string>& failures) {
  if (failures.empty()) return kExitOk;
  context.err << "zentrofastctl: " << Say("%1 value(s) could not be written:", failures.size()) << "\n";
  for (const std::string& failure : failures) context.err << "  " << failure << "\n";
  return kExitFailed;
}

// The apply went on; the user still learns what its backup could not keep.
void ReportUnkeptValues(CliContext& context, const ApplyResult& result) {
  if (result.unkeptValues.empty()) return;
  context.err << "zentrofastctl: "
              << Say("backup %1 could not keep %2 value(s):", result.backupFile.filename().string(),
                     result.unkeptValues.size())
              << "\n";
  for (const std::string& value : result.unkeptValues) context.err << "  " << value << "\n";
}

// The header's local time without a zone, as the backup keeps it; null when it cannot be read.
JsonObject BackupJson(const BackupListEntry& entry) {
  return {{"name", entry.fileName},
          {"number", std::stoi(entry.fileName.substr(0, 3))},
          {"taken", entry.taken ? JsonObject(entry.DateText() + "T" + entry.TimeText()) : JsonObject(nullptr)}};
}

int RunBackupList(CliContext& context, bool json) {
  const std::filesystem::path folder = BackupsFolder(context.config);
  const BackupList list = ListBackups(folder);
  if (json && list.error.empty()) {
    JsonObject backups = JsonObject::array();
    for (const BackupListEntry& entry : list.entries) backups.push_back(BackupJson(entry));
    PrintJson(context.out, JsonObject{{"folder", folder.string()}, {"backups", backups}});
  }
  for (const BackupListEntry& entry : list.entries) {
    if (json) break;
    context.out << entry.fileName;
    if (entry.taken) context.out << "  " << entry.DateText() << "  " << entry.TimeText();
    context.out << "\n";
  }
  if (list.error.empty()) return kExitOk;
  context.err << "zentrofastctl: " << list.error << "\n";
  return kExitFailed;
}

// A name that is not a plain NNN.BCK is a usage error; a plain name with no file a failure.
int BadBackupName(CliContext& context, const std::string& name, const std::string& error) {
  context.err << "zentrofastctl: " << error << "\n";
  return IsBackupFileName(name) ? kExitFailed : kExitUsage;
}

int RunBackupRestore(CliContext& context, const std::string& name) {
  const BackupPathResult file = FindBackupFile(BackupsFolder(context.config), name);
  if (!file.ok()) return BadBackupName(context, name, Say(file.Reason()));
  IRegistry* registry = context.Registry();
  if (registry == nullptr) return kExitFailed;
  const OSFamily os = DetectOSFamily(context.config.osVersion);
  const RestoreResult result = RestoreSettingsBackup(*registry, os.code, file.path);
  switch (result.outcome) {
    case RestoreOutcome::Refused:
      context.err << "zentrofastctl: " << result.description << " ("
                  << Say("%1 is from OS family %2, this system is %3 \"%4\"", name, result.fileFamilyCode, os.code,
                         os.name)
                  << ")\n";
      return kExitFailed;
    case RestoreOutcome::Failed:
      context.err << "zentrofastctl: " << result.description << "\n";
      ReportFailedWrites(context, result.failedWrites);
      return kExitFailed;
    case RestoreOutcome::Completed:
      context.out << Say("Restored %1: %2 values written.", file.path.filename().string(), result.valuesWritten)
                  << "\n";
      return ReportFailedWrites(context, result.failedWrites);
  }
  return kExitFailed;
}

int RunBackupDelete(CliContext& context, const std::string& name) {
  if (const Phrase error = DeleteBackup(BackupsFolder(context.config), name); !error.empty())
    return BadBackupName(context, name, Say(error));
  context.out << Say("Deleted %1.", name) << "\n";
  return kExitOk;
}

int RunApply(CliContext& context, const ApplyOptions& options) {
  const auto request = ParseApply(context, options);
  if (!request) return kExitUsage;
  return ApplyTuning(context, request->settings, request->start);
}

}  // namespace

int ApplyTuning(CliContext& context, const TcpSettings& settings, const std::string& start) {
  IRegistry* registry = context.Registry();
  if (registry == nullptr) return kExitFailed;
  const OSFamily os = DetectOSFamily(context.config.osVersion);
  SystemClock clock;
  const ApplyResult result = ApplySettings({*registry, clock, BackupsFolder(context.config), os.code}, settings);
  if (!result.ok()) {
    context.err << "zentrofastctl: " << result.reason << "\n";
    return kExitFailed;
  }
  context.out << Say("Backup %1 taken in %2.", result.backupFile.filename().string(),
                     result.backupFile.parent_path().string())
              << "\n"
              << Say("Applied %1 in the %2 layout (%3).", start, os.Is9xLayout() ? "9x" : "NT", os.name) << "\n";
  ReportUnkeptValues(context, result);
  return ReportFailedWrites(context, result.failedWrites);
}

void AddApplyCommand(CLI::App& app, CommandTable& table) {
  auto options = std::make_shared<ApplyOptions>();
  CLI::App* apply = app.add_subcommand(
      "apply", Say("Take a backup of the values about to change, then write a profile or the recommendations"));
  apply->allow_extras();
  apply->add_option("--profile", options->profile, Say("One of the eight wizard profiles (0-7)"))->type_name("N");
  apply
      ->add_option("--connection-type", options->connectionType,
                   Say("The advanced editor's recommendations for a connection type (0-3)"))
      ->type_name("T");
  apply->add_option("--set", options->assignments, Say("Change one field; may be repeated"))->type_name("FIELD=VALUE");
  apply->footer(FieldHelp());
  table[apply] = [options](CliContext& context) { return RunApply(context, *options); };
}

void AddBackupCommands(CLI::App& app, CommandTable& table) {
  CLI::App* backup = app.add_subcommand("backup", Say("List, restore and delete the numbered backups"));
  backup->allow_extras();
  CLI::App* list = backup->add_subcommand("list", Say("One backup a line: NAME  DATE  TIME"));
  list->allow_extras();
  auto json = std::make_shared<bool>(false);
  list->add_flag("--json", *json, Say("Print the backups as one JSON object (docs/JSON.md)"));
  table[list] = [json](CliContext& context) { return RunBackupList(context, *json); };
  auto name = std::make_shared<std::string>();
  for (const auto& [word, help, run] : {
           std::tuple{"restore", Say("Write a backup's values back (refused for another OS family)"),
                      &RunBackupRestore},
           std::tuple{"delete", Say("Delete a backup"), &RunBackupDelete},
       }) {
    CLI::App* sub = backup->add_subcommand(word, help);
    sub->allow_extras();
    sub->add_option("NAME", *name, Say("The backup's file name, NNN.BCK"))->required();
    table[sub] = [name, run = run](CliContext& context) { return run(context, *name); };
  }
}

}  // namespace zf::cli
