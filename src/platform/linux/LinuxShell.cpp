// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/LinuxShell.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "platform/linux/ControlPanelTools.h"
#include "platform/linux/DesktopEntry.h"

namespace zf {
namespace {

constexpr auto kLogind = "org.freedesktop.login1";
constexpr int kQuerySliceMs = 20;
constexpr int kQueryTimeoutMs = 3000;
// The desktop's authorisation dialog waits for the user; the answer comes after it closes.
constexpr int kAuthorisationTimeoutMs = 10 * 60 * 1000;

QStringList ToQt(const std::vector<std::string>& arguments) {
  QStringList list;
  for (const auto& argument : arguments) list << QString::fromStdString(argument);
  return list;
}

// Whether the desktop has an application registered for a local file's type. xdg-open
// reports success as soon as it starts, even when it then finds nothing to open the file with.
// The query is a short script; the window keeps answering while it runs.
bool HasDefaultApplication(const QString& path) {
  const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (xdgMime.isEmpty()) return true;  // cannot tell: let the desktop try
  const QString mime = QMimeDatabase().mimeTypeForFile(path).name();
  QProcess query;
  query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mime});
  QElapsedTimer waited;
  waited.start();
  while (!query.waitForFinished(kQuerySliceMs)) {
    if (query.state() == QProcess::NotRunning) break;
    if (waited.hasExpired(kQueryTimeoutMs)) {
      query.kill();
      query.waitForFinished(kQuerySliceMs);
      return true;
    }
    QCoreApplication::processEvents();
  }
  return !query.readAllStandardOutput().trimmed().isEmpty();
}

QDBusMessage SessionEndCall(SessionEnd how) {
  if (how == SessionEnd::LogOff) {
    return QDBusMessage::createMethodCall(kLogind, QStringLiteral("/org/freedesktop/login1/session/auto"),
                                          QStringLiteral("org.freedesktop.login1.Session"),
                                          QStringLiteral("Terminate"));
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      kLogind, QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
      how == SessionEnd::Reboot ? QStringLiteral("Reboot") : QStringLiteral("PowerOff"));
  call << true;  // interactive: the desktop may ask the user to authorise
  return call;
}

}  // namespace

bool LinuxShell::StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
  return QProcess::startDetached(QString::fromStdString(program), ToQt(arguments));
}

bool LinuxShell::RunControlPanelCommand(const std::string& commandLine) {
  const auto tool = FindDesktopTool(commandLine, qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString(),
                                    [](const std::string& program) {
                                      return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
                                    });
  return tool && StartDetached(tool->program, tool->arguments);
}

bool LinuxShell::OpenDocument(const std::string& pathOrUrl) {
  const QString text = QString::fromStdString(pathOrUrl);
  const QFileInfo file(text);
  if (file.isAbsolute()) {
    if (!file.exists() || !HasDefaultApplication(text)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(text));
  }
  return QDesktopServices::openUrl(QUrl::fromUserInput(text));
}

bool LinuxShell::EndSession(SessionEnd how) { return RequestEndSession(how, {}); }

bool LinuxShell::RequestEndSession(SessionEnd how, std::function<void()> onRefused) {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kLogind)) return false;
  QDBusMessage call = SessionEndCall(how);
  call.setInteractiveAuthorizationAllowed(true);
  if (!onRefused) return bus.send(call);
  // Awaited without blocking: the error reply (cancelled, not authorised) comes on the event loop.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAuthorisationTimeoutMs));
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                   [refused = std::move(onRefused)](QDBusPendingCallWatcher* finished) {
                     finished->deleteLater();
                     if (finished->isError()) refused();
                   });
  return true;
}

std::filesystem::path LinuxShell::AutoStartFile(const std::string& name) {
  std::string fileName = QString::fromStdString(name).toLower().toStdString() + ".desktop";
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return std::filesystem::path(config.toStdString()) / "autostart" / fileName;
}

bool LinuxShell::SetAutoStart(const std::string& name, const std::string& programPath) {
  const std::filesystem::path file = AutoStartFile(name);
  std::error_code error;
  if (programPath.empty()) {
    std::filesystem::remove(file, error);
    return !error;
  }
  std::filesystem::create_directories(file.parent_path(), error);
  QSaveFile out(QString::fromStdString(file.string()));
  if (!out.open(QIODevice::WriteOnly)) return false;
  const std::string entry = AutoStartEntry(name, programPath);
  out.write(entry.data(), static_cast<qint64>(entry.size()));
  return out.commit();
}

std::string LinuxShell::AutoStartProgram(const std::string& name) {
  std::ifstream in(AutoStartFile(name));
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  const auto exec = ExecValue(text.str());
  if (!exec) return {};
  return FirstExecArgument(*exec).value_or(std::string());
}

}  // namespace zf
