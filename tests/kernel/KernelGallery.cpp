// SPDX-License-Identifier: GPL-3.0-or-later
// Shows one of the kernel bridge's dialogs, or the live view, with sample content over a skinned
// stand-in of the main window for a few seconds, to look at by eye and photograph:
//   cmake --build build --target kernel_gallery zentrofast_data
//   ZENTROFAST_BIN=build/bin xvfb-run -a -s "-screen 0 1024x768x24" sh -c \
//     'build/bin/kernel_gallery preview & sleep 2; import -window root p.png'
// Under LANG=de_DE.UTF-8 it speaks German, like the program.
// Pages: preview, details (the preview with its details open), countdown, measured (the
// countdown with a before-and-after sentence), settings (the live view in its frame).
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <cstring>

#include "kernel/KernelPreview.h"
#include "kernel/frmKernelPreview.h"
#include "kernel/frmKernelSettings.h"
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

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  InstallTranslations(app, QLocale(), TranslationFolders(qEnvironmentVariable("ZENTROFAST_BIN")));
  const QString page = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("preview");
  test::SkinnedMainWindow main;
  main.setObjectName(QStringLiteral("frmMain"));
  main.move(main.screen()->availableGeometry().center() - main.rect().center());
  main.show();

  test::TestServices env;
  test::FakeKernelBridge bridge;
  bridge.plan = SamplePlan();
  bridge.status = SampleStatus();
  test::FakeFollowUp followUp;
  frmKernelSettings live(env.services, main, bridge, followUp, &main);
  frmKernelPreview preview(BuildPreview(SamplePlan()), &main, QStringLiteral("iperf3://10.9.0.2"));
  frmKernelCountdown keep(&main);
  keep.SetSecondsLeft(27);
  if (page == QLatin1String("settings")) {
    live.Form_Load();
    live.setGeometry(245, 199, 440, 255);  // the frame the screens are shown in
    live.show();
  } else if (page.startsWith(QLatin1String("count")) || page == QLatin1String("measured")) {
    keep.show();
    if (page == QLatin1String("measured"))
      QTimer::singleShot(300, &keep, [&keep] {
        keep.ShowComparison(QStringLiteral("Before: 94 Mbit/s, 21 ms \u2014 now: 1.7 Mbit/s, 21 ms: this change made "
                                           "the connection slower"),
                            true);
      });
  } else {
    preview.show();
    if (page == QLatin1String("details")) preview.cmdDetails()->click();
  }
  QTimer::singleShot(6000, &app, &QApplication::quit);
  return QApplication::exec();
}
