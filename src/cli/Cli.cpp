// SPDX-License-Identifier: GPL-3.0-or-later
#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "core/Translatable.h"

namespace zf::cli {
namespace {

constexpr const char* kDescription = ZF_CLI_TRANSLATABLE(
    "zentrofastctl: the command line of Zentrofast. It reads and writes Zentrofast's registry store, applies the "
    "tuning profiles, manages the backups, pings and reports memory and processor use.");
constexpr const char* kFooter = ZF_CLI_TRANSLATABLE(
    "Run \"zentrofastctl COMMAND --help\" for the options of a command.\n"
    "Exit status: 0 done, 1 failed (the reason on stderr), 2 wrong usage.");

std::string VersionLine() {
  return "zentrofastctl " + std::to_string(ZENTROFAST_VERSION_MAJOR) + "." + std::to_string(ZENTROFAST_VERSION_MINOR) +
         ".0." + std::to_string(ZENTROFAST_VERSION_REVISION);
}

// CLI11's headings and labels in the chosen language. The placeholders (DIR, FILE, N) stay as the
// help texts name them.
class HelpFormatter : public CLI::Formatter {
 public:
  HelpFormatter() {
    label("Usage", Say("Usage"));
    label("OPTIONS", Say("OPTIONS"));
    label("SUBCOMMAND", Say("SUBCOMMAND"));
    label("SUBCOMMANDS", Say("SUBCOMMANDS"));
    label("REQUIRED", Say("REQUIRED"));
    label("Positionals", Say("Positionals"));
  }

  std::string make_group(std::string group, bool positional, std::vector<const CLI::Option*> options) const override {
    return Formatter::make_group(group == "Options" ? Say("Options") : group, positional, std::move(options));
  }
};

// CLI11 lists the commands under their group's name, "Subcommands" unless told otherwise.
void NameCommandGroups(CLI::App& app) {
  for (CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
    command->group(Say("Subcommands"));
    NameCommandGroups(*command);
  }
}

struct GlobalOptions {
  std::string home;
  std::string registry;
  std::string osVersion;
};

// The command words after the program name, e.g. "reg query".
std::string CommandPath(const CLI::App* app) {
  std::string path;
  for (; app->get_parent() != nullptr; app = app->get_parent())
    path = app->get_name() + (path.empty() ? "" : " " + path);
  return path;
}

// The last command the command line chose, or the program itself.
const CLI::App* ChosenCommand(const CLI::App* app) {
  while (!app->get_subcommands().empty()) app = app->get_subcommands().back();
  return app;
}

std::string OperandCount(const CLI::App* app) {
  const std::size_t count = app->get_options([](const CLI::Option* o) { return o->get_positional(); }).size();
  if (count == 0) return Say("%1 takes no operands", CommandPath(app));
  return count == 1 ? Say("%1 takes 1 operand", CommandPath(app))
                    : Say("%1 takes %2 operands", CommandPath(app), count);
}

// What is wrong with a word the command did not take, or nothing.
std::string Unexpected(const CLI::App* app) {
  std::vector<std::string> extras = app->remaining();
  std::erase(extras, "--");  // the end of the options, which CLI11 keeps among the extras
  if (extras.empty()) return {};
  const std::string& word = extras.front();
  const std::string path = CommandPath(app);
  if (word.starts_with('-'))
    return path.empty() ? Say("unknown option %1", word) : Say("unknown option: %1 does not take %2", path, word);
  if (!app->get_subcommands({}).empty())
    return path.empty() ? Say("unknown command \"%1\"", word) : Say("unknown %1 subcommand \"%2\"", path, word);
  return OperandCount(app);
}

// CLI11's complaint in this tool's words where they say more.
std::string ParseErrorText(const CLI::ParseError& error, const CLI::App& app) {
  const std::string text = error.what();
  const auto* chosen = ChosenCommand(&app);
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && text.ends_with(" missing"))
    return Say("%1 needs a value", text.substr(0, text.find(':')));
  if (dynamic_cast<const CLI::RequiredError*>(&error) && text.ends_with(" is required")) return OperandCount(chosen);
  if (constexpr std::string_view kConversion = "Could not convert: ";
      dynamic_cast<const CLI::ConversionError*>(&error) && text.starts_with(kConversion))
    return Say("Could not convert: %1", text.substr(kConversion.size()));
  return text;
}

int Usage(CliContext& context, const CLI::App& app, const std::string& message) {
  const std::string path = CommandPath(ChosenCommand(&app));
  context.err << "zentrofastctl: " << message << "\n"
              << Say("Run \"%1--help\" for its usage.", "zentrofastctl " + (path.empty() ? "" : path + " ")) << "\n";
  return kExitUsage;
}

// Checks the words nobody took and that a command (not only a group) was chosen.
std::string CheckCommandLine(const CLI::App& app, const CommandTable& table) {
  for (const CLI::App* level = &app;; level = level->get_subcommands().back()) {
    if (std::string problem = Unexpected(level); !problem.empty()) return problem;
    if (level->get_subcommands().empty()) break;
  }
  const CLI::App* chosen = ChosenCommand(&app);
  if (table.contains(chosen)) return {};
  return chosen->get_parent() == nullptr ? Say("a command is missing")
                                         : Say("%1 needs a subcommand", CommandPath(chosen));
}

std::string ApplyGlobalOptions(const GlobalOptions& options, const CLI::App& app, Config* config) {
  if (app.count("--home") > 0) {
    config->programFolder = options.home;
    config->installed = false;
  }
  if (app.count("--registry") > 0) config->registryFile = options.registry;
  if (app.count("--os-version") > 0) {
    const auto version = ParseOSVersion(options.osVersion);
    if (!version) return Say("--os-version wants PLATFORM.MAJOR.MINOR, not \"%1\"", options.osVersion);
    config->osVersion = *version;
    config->warning.clear();
  }
  return {};
}

}  // namespace

int RunCli(const Args& argv, CliPlatform platform, std::ostream& out, std::ostream& err) {
  CliContext context{LoadConfig(), platform, out, err};
  CLI::App app(Say(kDescription), "zentrofastctl");
  app.footer(Say(kFooter));
  // Before any command is added: each takes the formatter and the help flag of its parent.
  app.formatter(std::make_shared<HelpFormatter>());
  app.set_help_flag("-h,--help", Say("Print this help message and exit"));
  app.allow_extras();
  app.set_version_flag("--version", VersionLine(), Say("Print the version and exit"));
  GlobalOptions global;
  app.add_option("--home", global.home, Say("The program folder (default: $ZENTROFAST_HOME or the installed one)"))
      ->type_name("DIR");
  app.add_option("--registry", global.registry,
                 Say("The registry store (default: $ZENTROFAST_REGISTRY or "
                     "$XDG_DATA_HOME/zentrofast/registry.sqlite3)"))
      ->type_name("FILE");
  app.add_option("--os-version", global.osVersion, Say("The Windows version to act as (default 2.5.1, Windows XP)"))
      ->type_name("P.MAJ.MIN");
  CommandTable table;
  AddRegCommands(app, table);
  AddProfilesCommand(app, table);
  AddApplyCommand(app, table);
  AddBackupCommands(app, table);
  AddPingCommand(app, table);
  AddMemCommands(app, table);
  AddKernelCommands(app, table);
  AddMeasureCommand(app, table);
  AddHistoryCommand(app, table);
  NameCommandGroups(app);

  std::vector<std::string> words(argv.rbegin(), argv.rend());  // CLI11 takes them last first
  try {
    app.parse(words);
  } catch (const CLI::Success& done) {  // --help and --version
    return app.exit(done, out, err);
  } catch (const CLI::ParseError& error) {
    return Usage(context, app, ParseErrorText(error, app));
  }
  if (std::string problem = CheckCommandLine(app, table); !problem.empty()) return Usage(context, app, problem);
  if (std::string problem = ApplyGlobalOptions(global, app, &context.config); !problem.empty())
    return Usage(context, app, problem);
  if (!context.config.warning.empty()) err << "zentrofastctl: " << context.config.warning << "\n";
  if (std::string problem = MissingFolderProblem(context.config); !problem.empty()) {
    err << "zentrofastctl: " << problem << "\n";
    return kExitFailed;
  }
  return table.at(ChosenCommand(&app))(context);
}

}  // namespace zf::cli
