// SPDX-License-Identifier: GPL-3.0-or-later
#include <CLI/CLI.hpp>
#include <algorithm>
#include <ostream>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "core/Translatable.h"

namespace zf::cli {
namespace {

constexpr const char* kDescription = ZF_TRANSLATABLE(
    "zentrofastctl",
    "zentrofastctl: the command line of Zentrofast. It reads and writes Zentrofast's registry store, applies the "
    "tuning profiles, manages the backups, pings and reports memory and processor use.");
constexpr const char* kFooter = ZF_TRANSLATABLE("zentrofastctl",
                                                "Run \"zentrofastctl COMMAND --help\" for the options of a command.\n"
                                                "Exit status: 0 done, 1 failed (the reason on stderr), 2 wrong usage.");

std::string VersionLine() {
  return "zentrofastctl " + std::to_string(ZENTROFAST_VERSION_MAJOR) + "." + std::to_string(ZENTROFAST_VERSION_MINOR) +
         ".0." + std::to_string(ZENTROFAST_VERSION_REVISION);
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
  return CommandPath(app) + " takes " + (count == 0 ? std::string("no") : std::to_string(count)) +
         (count == 1 ? " operand" : " operands");
}

// What is wrong with a word the command did not take, or nothing.
std::string Unexpected(const CLI::App* app) {
  std::vector<std::string> extras = app->remaining();
  std::erase(extras, "--");  // the end of the options, which CLI11 keeps among the extras
  if (extras.empty()) return {};
  const std::string& word = extras.front();
  const std::string path = CommandPath(app);
  if (word.starts_with('-'))
    return path.empty() ? "unknown option " + word : "unknown option: " + path + " does not take " + word;
  if (!app->get_subcommands({}).empty())
    return path.empty() ? "unknown command \"" + word + "\"" : "unknown " + path + " subcommand \"" + word + "\"";
  return OperandCount(app);
}

// CLI11's complaint in this tool's words where they say more.
std::string ParseErrorText(const CLI::ParseError& error, const CLI::App& app) {
  const std::string text = error.what();
  const auto* chosen = ChosenCommand(&app);
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && text.ends_with(" missing"))
    return Say("%1 needs a value", text.substr(0, text.find(':')));
  if (dynamic_cast<const CLI::RequiredError*>(&error) && text.ends_with(" is required")) return OperandCount(chosen);
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
  return chosen->get_parent() == nullptr ? "a command is missing" : CommandPath(chosen) + " needs a subcommand";
}

std::string ApplyGlobalOptions(const GlobalOptions& options, const CLI::App& app, Config* config) {
  if (app.count("--home") > 0) {
    config->programFolder = options.home;
    config->installed = false;
  }
  if (app.count("--registry") > 0) config->registryFile = options.registry;
  if (app.count("--os-version") > 0) {
    const auto version = ParseOSVersion(options.osVersion);
    if (!version) return "--os-version wants PLATFORM.MAJOR.MINOR, not \"" + options.osVersion + "\"";
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
  app.get_formatter()->label("Subcommands", "Commands");
  app.allow_extras();
  app.set_version_flag("--version", VersionLine(), "Print the version and exit");
  GlobalOptions global;
  app.add_option("--home", global.home, "The program folder (default: $ZENTROFAST_HOME or the installed one)")
      ->type_name("DIR");
  app.add_option("--registry", global.registry,
                 "The registry store (default: $ZENTROFAST_REGISTRY or "
                 "$XDG_DATA_HOME/zentrofast/registry.sqlite3)")
      ->type_name("FILE");
  app.add_option("--os-version", global.osVersion, "The Windows version to act as (default 2.5.1, Windows XP)")
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
