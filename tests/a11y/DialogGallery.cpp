// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the dialogs the program opens outside its screens, with sample content over a skinned
// stand-in of the main window, in the user's language: the kernel bridge's preview and countdown,
// its live view, and the three kinds of balloon.
//   dialog_gallery PAGE     shows one page for a few seconds, to look at and photograph:
//     xvfb-run -a -s "-screen 0 1024x768x24" sh -c \
//       'build/bin/dialog_gallery preview & sleep 2; import -window root p.png'
//   dialog_gallery --walk   shows the pages named on standard input one after another, each in
//     place of the one before, and prints "shown PAGE", every text the page shows ("text: ..."),
//     then "done": what the accessible-tree test walks.
// Pages: preview, details (the preview with its details open), countdown, measured (the countdown
// with a before-and-after sentence), settings (the live view in its frame), message, input and
// notice (the balloon kinds; the notice is the program's own "still running" balloon).
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

#include "kernel/KernelPreview.h"
#include "kernel/frmKernelPreview.h"
#include "kernel/frmKernelSettings.h"
#include "msgbox/msgFrm.h"
#include "platform/linux/QtWindowSystem.h"
#include "shell/Accessibility.h"
#include "shell/Translations.h"
#include "support/FakeFollowUp.h"
#include "support/FakeKernelBridge.h"
#include "support/SkinnedMainWindow.h"
#include "support/TestServices.h"

using namespace zf;

namespace {

// The plan's texts as the kernel code makes them, so that the catalogue translates them.
kernel::KernelPlan SamplePlan() {
  using kernel::Phrase;
  kernel::KernelPlan plan;
  plan.changes = {
      {"net/ipv4/ip_default_ttl", "net.ipv4.ip_default_ttl", "64", "128", "TTL 128"},
      {"net/ipv4/tcp_keepalive_time", "net.ipv4.tcp_keepalive_time", "7200", "600", {}},
      {"net/ipv4/tcp_rmem", "net.ipv4.tcp_rmem", "4096 131072 33554432", "4096 8576 8576", {}},
      {"net/ipv4/tcp_mtu_probing", "net.ipv4.tcp_mtu_probing", "0", "0", {}},
      {"net/ipv4/conf/enp3s0/accept_redirects", "net.ipv4.conf.enp3s0.accept_redirects", "1", "0", {}},
      {"link/enp3s0/mtu", "enp3s0 MTU", "1500", "576", Phrase::Format("MTU of %1", {"{2D51C8E0-5C7F-4B8E}"})},
  };
  for (const auto& change : plan.changes) plan.desired[change.key] = change.after;
  plan.notes = {Phrase::Format("%1 %2 has no Linux equivalent and stays in the registry only", {"NdiCacheSize", "512"}),
                Phrase::Format("interface %1 is not on this computer; its MTU is skipped", {"{9F3A0C11-77D2-4E0B}"}),
                Phrase::Format("%1 gives %2 = %3, which is not applied: %4",
                               {"KeepAliveInterval 0 ms", "net.ipv4.tcp_keepalive_intvl", "0",
                                Phrase::Format("a keep-alive interval must be 1 to 32767 seconds")})};
  plan.warnings = {
      {kernel::WarningKind::Ipv6Loss,
       Phrase::Format("MTU %1 on %2 is below 1280: the kernel removes its IPv6 addresses, and going back restores "
                      "only the link-local one",
                      {"576", "enp3s0"})},
      {kernel::WarningKind::ThroughputCap,
       Phrase::Format("a receive window of %1 bytes caps one connection at about %2 Mbit/s at 20 ms round trip",
                      {"4288", "1.7"})},
      {kernel::WarningKind::LinkBounce,
       Phrase::Format("changing the MTU of %1 may briefly bounce the link", {"enp3s0"})},
      {kernel::WarningKind::BootOverride, Phrase::Format("%1 sets %2 = %3, which wins at every boot over %4's %5",
                                                         {"/etc/sysctl.d/99-local.conf", "net.ipv4.ip_default_ttl",
                                                          "64", "/etc/sysctl.d/80-zentrofast.conf", "128"})}};
  return plan;
}

kernel::KernelStatus SampleStatus() {
  kernel::KernelStatus status;
  status.settings = {
      {"net/ipv4/tcp_rmem", "net.ipv4.tcp_rmem", "4096 131072 33554432", "4096 8576 8576", "4096 8576 8576",
       kernel::Persistence::Sysctl},
      {"link/enp3s0/mtu", "enp3s0 MTU", "1500", "576", "1500", kernel::Persistence::NetworkManager},
      {"net/ipv4/tcp_mtu_probing", "net.ipv4.tcp_mtu_probing", "0", "1", "1", kernel::Persistence::RuntimeOnly}};
  return status;
}

class Gallery {
 public:
  Gallery()
      : m_live(m_env.services, m_main, m_bridge, m_followUp, &m_main),
        m_preview(BuildPreview(SamplePlan()), &m_main, QStringLiteral("iperf3://10.9.0.2")),
        m_countdown(&m_main),
        m_balloon(m_windowSystem) {
    m_main.setObjectName(QStringLiteral("frmMain"));
    m_main.move(m_main.screen()->availableGeometry().center() - m_main.rect().center());
    m_main.show();
    m_bridge.plan = SamplePlan();
    m_bridge.status = SampleStatus();
    m_live.setGeometry(245, 199, 440, 255);  // the frame the screens are shown in
    m_countdown.SetSecondsLeft(27);
  }

  // Shows the page in place of the one shown before; the balloons' modal kinds return at once and
  // wait in their own loop until the next page takes their place.
  bool Show(const QString& page) {
    HideAll();
    if (page == QLatin1String("preview") || page == QLatin1String("details")) {
      m_preview.show();
      m_preview.cmdDetails()->setChecked(page == QLatin1String("details"));
      m_shown = &m_preview;
    } else if (page == QLatin1String("countdown") || page == QLatin1String("measured")) {
      m_countdown.show();
      if (page == QLatin1String("measured"))
        m_countdown.ShowComparison(QStringLiteral("Before: 94 Mbit/s, 21 ms \u2014 now: 1.7 Mbit/s, 21 ms: this change "
                                                  "made the connection slower"),
                                   true);
      m_shown = &m_countdown;
    } else if (page == QLatin1String("settings")) {
      if (!m_liveLoaded) m_live.Form_Load();
      m_liveLoaded = true;
      m_live.show();
      m_shown = &m_live;
    } else if (page == QLatin1String("message")) {
      QTimer::singleShot(0, &m_balloon, [this] {
        m_balloon.msg_Box(QStringLiteral("Do you want to keep the tuned settings? They take effect after the next "
                                         "restart of the computer."),
                          3 | 64 | 256, QStringLiteral("Keep the settings"), false,
                          QStringLiteral("Don't ask me again"), {}, {}, {}, 0, 300, 260);
      });
      m_shown = &m_balloon;
    } else if (page == QLatin1String("input")) {
      QTimer::singleShot(0, &m_balloon, [this] {
        m_balloon.input_box(QStringLiteral("Host to ping:"), 32, QStringLiteral("Net pinger"),
                            QStringLiteral("www.example.org"), false, QStringLiteral("Remember it"), 0, 320, 500);
      });
      m_shown = &m_balloon;
    } else if (page == QLatin1String("notice")) {
      // As the program shows it where the desktop has no tray.
      const QSize screen = QGuiApplication::primaryScreen()->size();
      m_balloon.MsgAuto_box(QCoreApplication::translate("zf::Tray", "The Program Still Running Here"), 64,
                            QCoreApplication::translate("zf::Tray", "Program notification"), 0, true,
                            242u | (248u << 8) | (200u << 16), static_cast<float>(screen.width() - 40),
                            static_cast<float>(screen.height()), 0);
      m_shown = &m_balloon;
    } else {
      return false;
    }
    return true;
  }

  // Every text the shown page holds for the eye.
  QStringList Texts() const {
    QStringList texts;
    if (m_shown.isNull()) return texts;
    for (const QWidget* widget : m_shown->findChildren<QWidget*>()) {
      if (!widget->isVisibleTo(m_shown)) continue;
      QString text;
      if (const auto* label = qobject_cast<const QLabel*>(widget)) text = label->text();
      if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) text = button->text();
      if (const auto* box = qobject_cast<const QGroupBox*>(widget)) text = box->title();
      text = text.simplified();
      if (!text.isEmpty() && !texts.contains(text)) texts << text;
    }
    return texts;
  }

 private:
  void HideAll() {
    m_preview.hide();
    m_countdown.hide();
    m_live.hide();
    m_balloon.hide();  // ends a modal kind's loop
  }

  test::SkinnedMainWindow m_main;
  test::TestServices m_env;
  test::FakeKernelBridge m_bridge;
  test::FakeFollowUp m_followUp;
  QtWindowSystem m_windowSystem;
  frmKernelSettings m_live;
  frmKernelPreview m_preview;
  frmKernelCountdown m_countdown;
  msgFrm m_balloon;
  QPointer<QWidget> m_shown;
  bool m_liveLoaded = false;
};

void Print(const QString& line) {
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

// Each line of standard input names a page; the page is described once it has been laid out.
void WalkFromInput(Gallery& gallery) {
  auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [notifier, &gallery] {
    char line[256];
    const ssize_t length = ::read(STDIN_FILENO, line, sizeof line);
    if (length <= 0) {
      notifier->setEnabled(false);
      QApplication::exit(0);
      return;
    }
    for (const QString& page : QString::fromUtf8(line, static_cast<int>(length)).split('\n', Qt::SkipEmptyParts)) {
      if (!gallery.Show(page.trimmed())) {
        Print(QStringLiteral("no page: ") + page);
        continue;
      }
      QTimer::singleShot(100, qApp, [&gallery, page] {
        Print(QStringLiteral("shown ") + page.trimmed());
        for (const QString& text : gallery.Texts()) Print(QStringLiteral("text: ") + text);
        Print(QStringLiteral("done"));
      });
    }
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // The skin and the catalogues lie beside the program in a build.
  if (!qEnvironmentVariableIsSet("ZENTROFAST_BIN"))
    qputenv("ZENTROFAST_BIN", QApplication::applicationDirPath().toUtf8());
  InstallAccessibleWidgets();
  InstallTranslations(app, QLocale::system(), TranslationFolders(QApplication::applicationDirPath()));
  Gallery gallery;
  const QString page = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("preview");
  if (page == QLatin1String("--walk")) {
    WalkFromInput(gallery);
  } else {
    if (!gallery.Show(page)) {
      std::fprintf(stderr, "no page %s\n", argv[1]);
      return 2;
    }
    // exit(), not quit(): a modal balloon refuses the close that quit() would send it first.
    QTimer::singleShot(6000, &app, [] { QApplication::exit(0); });
  }
  return QApplication::exec();
}
