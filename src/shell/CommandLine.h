// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop program's command line: --help, --version, --start-hidden.
#include <QString>
#include <QStringList>

namespace zf {

struct CommandLine {
  enum class Action { Run, ShowHelp, ShowVersion, Refuse };
  Action action = Action::Run;
  QString text;  // the help or version text for stdout, or the complaint for stderr
  bool startHidden = false;
};

// Reads the arguments (the program name first). Help and version win over anything else, so
// they can be answered before the display is opened.
CommandLine ReadCommandLine(const QStringList& arguments);

}  // namespace zf
