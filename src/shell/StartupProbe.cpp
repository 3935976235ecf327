#include "shell/StartupProbe.h"

#include <QEvent>
#include <QQuickWidget>
#include <QScreen>
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

}  // namespace zf
