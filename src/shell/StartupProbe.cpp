// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StartupProbe.h"

#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QQuickWidget>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

namespace zf {

bool StartupProbeEnabled() { return qEnvironmentVariableIsSet("ZENTROFAST_STARTUP_PROBE"); }

void ProbeReport(const QString& line) {
  std::fprintf(stdout, "%s\n", qPrintable(line));
  std::fflush(stdout);
}

MsgAnswer ProbeMessageBox::Show(const std::string& text, const std::string&, MsgIcon, MsgButtons buttons) {
  ProbeReport(QStringLiteral("message: ") + QString::fromStdString(text));
  return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
}

void ProbeTrayService::Add(const QIcon& icon, const QString& tip) {
  ProbeReport(QStringLiteral("tray: add"));
  m_inner.Add(icon, tip);
}

void ProbeTrayService::Delete() {
  ProbeReport(QStringLiteral("tray: delete"));
  m_inner.Delete();
}

void ProbeTrayService::ShowBalloon(const QString& title, const QString& text) {
  ProbeReport(QStringLiteral("tray: balloon ") + title + QStringLiteral(" | ") + text);
  m_inner.ShowBalloon(title, text);
}

void ReportWindowFit(QWidget* window) {
  const qreal ratio = window->devicePixelRatioF();
  const QSize area = window->screen()->availableGeometry().size() * ratio;
  const QSize size = window->size() * ratio;
  ProbeReport(QStringLiteral("window: %1x%2 of %3x%4")
                  .arg(size.width())
                  .arg(size.height())
                  .arg(area.width())
                  .arg(area.height()));
}

namespace {

// Reports once, right after the first paint of the movie on a visible window.
class FirstPaintReporter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Paint && widget->window()->isVisible()) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, [] { ProbeReport(QStringLiteral("shown")); });
      deleteLater();
    }
    return false;
  }
};

}  // namespace

void ReportFirstFrame(QQuickWidget* movie) { movie->installEventFilter(new FirstPaintReporter(movie)); }

namespace {

class DialogReporter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<QDialog*>(watched) != nullptr)
      ProbeReport(QStringLiteral("dialog: ") + watched->objectName());
    return false;
  }
};

void ClickButton(const QString& name) {
  for (QWidget* widget : QApplication::allWidgets()) {
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button != nullptr && button->objectName() == name && button->isVisible() && button->isEnabled()) {
      button->click();
      return;
    }
  }
  ProbeReport(QStringLiteral("no button: ") + name);
}

}  // namespace

void ReportDialogs() { qApp->installEventFilter(new DialogReporter(qApp)); }

void AcceptProbeCommands(std::function<void(const QString& command)> fsCommand) {
  auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [notifier, fsCommand = std::move(fsCommand)] {
    char line[256];
    const ssize_t length = ::read(STDIN_FILENO, line, sizeof line);
    if (length <= 0) {
      notifier->setEnabled(false);
      return;
    }
    for (const QString& command : QString::fromUtf8(line, length).split('\n', Qt::SkipEmptyParts)) {
      if (command.startsWith(QStringLiteral("fs "))) fsCommand(command.mid(3).trimmed());
      if (command.startsWith(QStringLiteral("click "))) ClickButton(command.mid(6).trimmed());
    }
  });
}

}  // namespace zf
