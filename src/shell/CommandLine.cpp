// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandLine.h"

#include <QCommandLineParser>

#include "shell/frmMain.h"

namespace zf {

CommandLine ReadCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Zentrofast tunes TCP/IP and browser connection limits, keeps a connection alive with a timed ICMP echo, "
      "watches free memory and graphs processor and memory use. It lives in the tray."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption startHidden(QStringLiteral("start-hidden"),
                                       QStringLiteral("Start in the tray without showing the window."));
  parser.addOption(startHidden);
  const bool parsed = parser.parse(arguments);
  CommandLine line;
  if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
    line.action = CommandLine::Action::ShowHelp;
    // Before the application runs the parser cannot know the program's name: give it here.
    line.text = parser.helpText();
    line.text.replace(0, line.text.indexOf(QLatin1Char('\n')), QStringLiteral("Usage: zentrofast [options]"));
  } else if (parser.isSet(version)) {
    line.action = CommandLine::Action::ShowVersion;
    line.text = QStringLiteral("zentrofast %1\n").arg(VersionText());
  } else if (!parsed || !parser.positionalArguments().isEmpty()) {
    line.action = CommandLine::Action::Refuse;
    line.text = QStringLiteral("zentrofast: %1\nRun \"zentrofast --help\" for its usage.\n")
                    .arg(parsed ? QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first())
                                : parser.errorText());
  }
  line.startHidden = parser.isSet(startHidden);
  return line;
}

}  // namespace zf
