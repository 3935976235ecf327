// SPDX-License-Identifier: GPL-3.0-or-later
// zentrofastctl reg … and profiles.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "cli/FieldText.h"
#include "cli/JsonOutput.h"
#include "cli/RegEditFile.h"
#include "cli/RegText.h"
#include "core/BackupFormat.h"
#include "core/RegistryLimits.h"
#include "core/RegistrySettings.h"
#include "core/RegistryStatus.h"
#include "core/TcpSettings.h"
#include "core/Translatable.h"
#include "platform/files.h"

namespace zf::cli {
namespace {

constexpr const char* kKeyHelp = ZF_CLI_TRANSLATABLE(
    "KEY is a full path beginning with a hive, long or short: "
    "HKLM\\SOFTWARE\\... or HKEY_LOCAL_MACHINE\\SOFTWARE\\...");

// What reg.exe says after a change.
void SayDone(CliContext& context) { context.out << Say("The operation completed successfully.") << "\n"; }

struct RegOptions {
  std::string key;
  std::string file;
  std::optional<std::string> valueName;  // "" for --default
  bool defaultValue = false;
  std::optional<std::string> type;
  std::optional<std::string> data;
  bool regedit4 = false;
  bool json = false;
};

int Usage(CliContext& context, const std::string& message) { return context.UsageError(message); }

int Failure(CliContext& context, const std::string& message) {
  context.err << "zentrofastctl: " << message << "\n";
  return kExitFailed;
}

// Decimal (negative numbers as their 32-bit pattern) or 0x hex, like reg.exe's /d for REG_DWORD.
std::optional<std::int32_t> ParseDword(std::string_view text) {
  const bool hex = text.starts_with("0x") || text.starts_with("0X");
  if (hex) text.remove_prefix(2);
  if (hex && text.starts_with('-')) return std::nullopt;  // a hex pattern has no sign
  std::int64_t number = 0;
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), number, hex ? 16 : 10);
  if (status != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  if (number < INT32_MIN || number > UINT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

std::string ValueLine(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
  return "    " + (name.empty() ? std::string("(Default)") : name) + "    " + TypeName(type) + "    " +
         DataText(type, data) + "\n";
}

std::string ValueLabel(const std::string& name, const KeyArgument& key) {
  return name.empty() ? Say("the default value of %1", key.display) : Say("the value \"%1\" of %2", name, key.display);
}

// The store and the key operand, once the operand has been checked and the store opened.
struct Target {
  KeyArgument key;
  IRegistry* registry = nullptr;
  int exitStatus = kExitOk;  // what ends the command when it cannot go on
};

// refuseHive: a whole hive is no valid operand.
Target OpenTarget(CliContext& context, const std::string& keyText, bool refuseHive = false) {
  Target target;
  std::string error;
  if (!ParseKeyArgument(keyText, &target.key, &error)) {
    target.exitStatus = Usage(context, error);
  } else if (refuseHive && target.key.subKey.empty()) {
    target.exitStatus = Usage(context, Say("a whole hive cannot be deleted"));
  } else if ((target.registry = context.Registry()) == nullptr) {
    target.exitStatus = kExitFailed;
  }
  return target;
}

struct QueriedValue {
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

// What reg query found: the values (or the one asked for) and the subkeys' names.
struct QueriedKey {
  std::vector<QueriedValue> values;
  std::vector<std::string> subkeys;
};

// The data read as its type says where it can be, and its bytes always, so nothing is lost.
JsonObject ValueJson(const QueriedValue& value) {
  JsonObject data = HexDigits(value.data, false);
  const std::string text(value.data.begin(), value.data.end());
  if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) data = text.substr(0, text.find('\0'));
  if (value.type == REG_MULTI_SZ) data = MultiTextEntries(value.data);
  if (value.type == REG_DWORD && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | value.data[i];
    data = number;
  }
  return {{"name", value.name},
          {"type", TypeName(value.type)},
          {"type_code", value.type},
          {"data", data},
          {"data_hex", HexDigits(value.data, false)}};
}

void PrintQuery(CliContext& context, const std::string& display, const QueriedKey& found, bool json) {
  if (json) {
    JsonObject values = JsonObject::array();
    for (const QueriedValue& value : found.values) values.push_back(ValueJson(value));
    PrintJson(context.out, JsonObject{{"key", display}, {"values", values}, {"subkeys", found.subkeys}});
    return;
  }
  std::string output = display + "\n";
  for (const QueriedValue& value : found.values) output += ValueLine(value.name, value.type, value.data);
  if (!found.subkeys.empty()) output += "\n";
  for (const std::string& subkey : found.subkeys) output += display + "\\" + subkey + "\n";
  context.out << output;
}

int Query(CliContext& context, const RegOptions& options) {
  Target target = OpenTarget(context, options.key);
  if (target.exitStatus != kExitOk) return target.exitStatus;
  IRegistry& registry = *target.registry;
  HKEY key = 0;
  const LONG opened = registry.OpenKey(target.key.hive, target.key.subKey, KEY_READ, &key);
  if (opened != ERROR_SUCCESS)
    return Failure(context, Say("cannot open %1: %2", target.key.display, Say(RegistryStatusText(opened))));
  QueriedKey found;
  QueriedValue value;
  if (options.valueName) {
    value.name = *options.valueName;
    const LONG status = registry.QueryValue(key, value.name, &value.type, &value.data);
    registry.CloseKey(key);
    if (status == ERROR_FILE_NOT_FOUND)
      return Failure(context, Say("%1 is not set", ValueLabel(*options.valueName, target.key)));
    if (status != ERROR_SUCCESS)
      return Failure(context, Say("cannot read %1: %2", target.key.display, Say(RegistryStatusText(status))));
    found.values.push_back(std::move(value));
    PrintQuery(context, target.key.display, found, options.json);
    return kExitOk;
  }
  for (std::uint32_t i = 0; registry.EnumValue(key, i, &value.name) == ERROR_SUCCESS; ++i)
    if (registry.QueryValue(key, value.name, &value.type, &value.data) == ERROR_SUCCESS) found.values.push_back(value);
  std::string name;
  for (std::uint32_t i = 0; registry.EnumKey(key, i, &name) == ERROR_SUCCESS; ++i) found.subkeys.push_back(name);
  registry.CloseKey(key);
  PrintQuery(context, target.key.display, found, options.json);
  return kExitOk;
}

int Add(CliContext& context, const RegOptions& options) {
  if (!options.valueName && (options.type || options.data))
    return Usage(context, Say("--type and --data need --value NAME or --default"));
  const std::string typeName = options.type.value_or("REG_SZ");
  if (typeName != "REG_SZ" && typeName != "REG_DWORD") return Usage(context, Say("--type must be REG_SZ or REG_DWORD"));
  std::optional<std::int32_t> number;
  if (typeName == "REG_DWORD") {
    if (!options.data) return Usage(context, Say("REG_DWORD needs --data NUMBER"));
    number = ParseDword(*options.data);
    if (!number) return Usage(context, Say("--data %1 is not a 32-bit number", QuotedExcerpt(*options.data)));
  }
  Target target = OpenTarget(context, options.key);
  if (target.exitStatus != kExitOk) return target.exitStatus;
  std::string problem = KeyPathProblem(target.key.subKey);
  if (problem.empty() && options.valueName) problem = ValueNameProblem(*options.valueName);
  if (!problem.empty()) return Failure(context, problem);
  LONG status = ERROR_SUCCESS;
  if (!options.valueName) {
    HKEY key = 0;
    status = target.registry->CreateKey(target.key.hive, target.key.subKey, KEY_ALL_ACCESS, &key);
    if (status == ERROR_SUCCESS) target.registry->CloseKey(key);
  } else {
    RegFunctions functions(*target.registry);
    status = number ? functions.SetRegistryValue(target.key.hive, target.key.subKey, *options.valueName, REG_DWORD,
                                                 *number, false)
                    : functions.SetRegistryValue(target.key.hive, target.key.subKey, *options.valueName, REG_SZ,
                                                 options.data.value_or(""), false);
  }
  if (status != ERROR_SUCCESS)
    return Failure(context, Say("cannot write %1: %2", target.key.display, Say(RegistryStatusText(status))));
  SayDone(context);
  return kExitOk;
}

int Delete(CliContext& context, const RegOptions& options) {
  Target target = OpenTarget(context, options.key, !options.valueName);
  if (target.exitStatus != kExitOk) return target.exitStatus;
  IRegistry& registry = *target.registry;
  if (!options.valueName) {
    const LONG status = registry.DeleteKey(target.key.hive, target.key.subKey);
    if (status != ERROR_SUCCESS)
      return Failure(context, Say("cannot delete %1: %2", target.key.display, Say(RegistryStatusText(status))));
    SayDone(context);
    return kExitOk;
  }
  HKEY key = 0;
  LONG status = registry.OpenKey(target.key.hive, target.key.subKey, KEY_ALL_ACCESS, &key);
  if (status != ERROR_SUCCESS)
    return Failure(context, Say("cannot open %1: %2", target.key.display, Say(RegistryStatusText(status))));
  status = registry.DeleteValue(key, *options.valueName);
  registry.CloseKey(key);
  if (status == ERROR_FILE_NOT_FOUND)
    return Failure(context, Say("%1 is not set", ValueLabel(*options.valueName, target.key)));
  if (status != ERROR_SUCCESS)
    return Failure(context, Say("cannot delete %1: %2", ValueLabel(*options.valueName, target.key),
                                Say(RegistryStatusText(status))));
  SayDone(context);
  return kExitOk;
}

// "-" is standard output; any other file is opened as OutputFile describes: a regular file is
// replaced whole or not at all, a device or FIFO written through, nothing else touched.
bool WriteExport(CliContext& context, const Target& target, RegFileFormat format, const std::string& file,
                 std::string* error) {
  const auto write = [&](std::ostream& out) {
    return ExportRegFile(*target.registry, target.key.hive, target.key.subKey, target.key.display, format, out, error);
  };
  if (file == "-") return write(context.out) && context.out.flush();
  const std::unique_ptr<OutputFile> output = OutputFile::Open(file, error);
  return output && write(output->stream()) && output->Finish(error);
}

int Export(CliContext& context, const RegOptions& options) {
  Target target = OpenTarget(context, options.key);
  if (target.exitStatus != kExitOk) return target.exitStatus;
  std::string error;
  const RegFileFormat format = options.regedit4 ? RegFileFormat::Regedit4 : RegFileFormat::Version5;
  if (!WriteExport(context, target, format, options.file, &error))
    return Failure(context, error.empty() ? std::string(Say("cannot write to standard output")) : error);
  if (options.file != "-") SayDone(context);
  return kExitOk;
}

int Import(CliContext& context, const RegOptions& options) {
  const bool standardInput = options.file == "-";
  const std::string file = standardInput ? std::string(Say("standard input")) : options.file;
  std::error_code ignored;
  if (!standardInput && std::filesystem::is_directory(file, ignored))
    return Failure(context, Say("%1 is a folder; nothing was imported", file));
  std::ifstream opened;
  if (!standardInput) opened.open(file, std::ios::binary);
  if (!standardInput && !opened) return Failure(context, Say("cannot read %1: %2", file, std::strerror(errno)));
  std::istream& in = standardInput ? std::cin : opened;
  std::vector<RegFileEntry> entries;
  std::string error;
  if (!ParseRegFile(in, &entries, &error)) return Failure(context, Say("%1: %2; nothing was imported", file, error));
  IRegistry* registry = context.Registry();
  if (registry == nullptr) return kExitFailed;
  if (!ApplyRegFile(*registry, entries, &error)) return Failure(context, file + ": " + error);
  SayDone(context);
  return kExitOk;
}

std::string Padded(const std::string& text, int width, bool right) {
  const std::string pad(text.size() < static_cast<std::size_t>(width) ? width - text.size() : 0, ' ');
  return right ? pad + text : text + pad;
}

int RunProfiles(CliContext& context) {
  constexpr int kNameWidth = 20, kColumnWidth = 9;
  std::ostream& out = context.out;
  out << "Profiles\n";
  for (int i = 0; i < kProfileCount; ++i) out << "  " << i << "  " << ProfileCaption(i) << "\n";
  out << "\n" << Padded("Field", kNameWidth, false);
  for (int i = 0; i < kProfileCount; ++i) out << Padded(std::to_string(i), kColumnWidth, true);
  out << "\n";
  for (const TuningFieldInfo& field : kTuningFields) {
    out << Padded(std::string(field.name), kNameWidth, false);
    for (const TcpSettings& profile : Profiles()) out << Padded(FieldText(profile, field), kColumnWidth, true);
    out << "\n";
  }
  out << "\n-1: left to the system (MTU and MSS, or the receive window, are deleted instead of written)\n";
  return kExitOk;
}

}  // namespace

void AddRegCommands(CLI::App& app, CommandTable& table) {
  CLI::App* reg = app.add_subcommand("reg", Say("Read and write the registry store, like reg.exe"));
  reg->allow_extras();
  reg->footer(Say(kKeyHelp));
  struct Command {
    const char* name;
    const char* help;
    int (*run)(CliContext&, const RegOptions&);
  };
  for (const Command& command : {
           Command{"query", Say("Show a key's values and subkeys, or one value"), Query},
           Command{"add", Say("Create a key, or write a value into it (creating the key)"), Add},
           Command{"delete", Say("Delete a value, or a key with everything below it"), Delete},
           Command{"export", Say("Write a key with everything below it into a .reg file"), Export},
           Command{"import", Say("Write a .reg file into the store: all of it or, on any error, nothing"), Import},
       }) {
    auto options = std::make_shared<RegOptions>();
    CLI::App* sub = reg->add_subcommand(command.name, command.help);
    sub->allow_extras();
    const std::string name = command.name;
    if (name != "import") sub->add_option("KEY", options->key, Say("The key"))->required();
    if (name == "export" || name == "import")
      sub->add_option("FILE", options->file,
                      name == "export" ? Say("The .reg file; - for standard output")
                                       : Say("The .reg file; - for standard input"))
          ->required();
    if (name == "export")
      sub->add_flag("--regedit4", options->regedit4,
                    Say("Write REGEDIT4 (Windows-1252) instead of version 5.00 (UTF-16LE)"));
    if (name == "query")
      sub->add_flag("--json", options->json,
                    Say("Print the key's values and subkeys as one JSON object (docs/JSON.md)"));
    if (name == "query" || name == "add" || name == "delete") {
      sub->add_option("--value", options->valueName, Say("The value's name"))->type_name("NAME");
      sub->add_flag("--default", options->defaultValue, Say("The default (unnamed) value"));
    }
    if (name == "add") {
      sub->add_option("--type", options->type, Say("REG_SZ (the default) or REG_DWORD"))->type_name("TYPE");
      sub->add_option("--data", options->data, Say("The text, or the number in decimal or 0x hex"))->type_name("DATA");
    }
    sub->footer(name == "import" ? Say("Reads both formats: Windows Registry Editor Version 5.00 (UTF-16LE with a "
                                       "byte-order mark, or UTF-8) and REGEDIT4.")
                                 : Say(kKeyHelp));
    table[sub] = [options, run = command.run](CliContext& context) {
      if (options->defaultValue) {
        if (options->valueName) return Usage(context, Say("give either --value or --default, once"));
        options->valueName = "";
      }
      return run(context, *options);
    };
  }
}

void AddProfilesCommand(CLI::App& app, CommandTable& table) {
  CLI::App* profiles = app.add_subcommand("profiles", Say("Show the eight profiles and their thirteen values"));
  profiles->allow_extras();
  table[profiles] = RunProfiles;
}

}  // namespace zf::cli
