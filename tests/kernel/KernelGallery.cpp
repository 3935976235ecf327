// SPDX-License-Identifier: GPL-3.0-or-later
// Shows one of the kernel bridge's dialogs, or the live view, with sample content over a skinned
// stand-in of the main window for a few seconds, to look at by eye and photograph:
//   cmake --build build --target kernel_gallery zentrofast_data
//   ZENTROFAST_BIN=build/bin xvfb-run -a -s "-screen 0 1024x768x24" sh -c \
//     'build/bin/kernel_gallery preview & sleep 2; import -window root p.png'
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
#include "support/FakeFollowUp.h"
#include "support/FakeKernelBridge.h"
#include "support/SkinnedMainWindow.h"
#include "support/TestServices.h"

using namespace zf;

namespace {

kernel::KernelPlan SamplePlan() {
  kernel::KernelPlan plan;
  plan.changes = {
      {"net/ipv4/ip_default_ttl", "net.ipv4.ip_default_ttl", "64", "128", {}},
      {"net/ipv4/tcp_keepalive_time", "net.ipv4.tcp_keepalive_time", "7200", "600", {}},
      {"net/ipv4/tcp_rmem", "net.ipv4.tcp_rmem", "4096 131072 33554432", "4096 8576 8576", {}},
      {"net/ipv4/tcp_mtu_probing", "net.ipv4.tcp_mtu_probing", "0", "0", {}},
      {"net/ipv4/conf/enp3s0/accept_redirects", "net.ipv4.conf.enp3s0.accept_redirects", "1", "0", {}},
      {"link/enp3s0/mtu", "enp3s0 MTU", "1500", "576", "MSS 536 follows from the MTU"},
  };
  for (const auto& change : plan.changes) plan.desired[change.key] = change.after;
  plan.notes = {
      "NdiCacheSize, MaxConnPer10Server and MaxConnPerServer have no Linux setting: they stay in the "
      "registry only",
      "interface {9F3A} (wlan1) no longer exists: skipped"};
  plan.warnings = {{kernel::WarningKind::Ipv6Loss,
                    "MTU 576 on enp3s0 is below 1280: the kernel removes its IPv6 addresses, and "
                    "going back restores only the link-local one"},
                   {kernel::WarningKind::ThroughputCap,
                    "a receive window of 4288 bytes caps one connection at about 1.7 Mbit/s at 20 ms round trip"},
                   {kernel::WarningKind::LinkBounce, "changing the MTU of enp3s0 may briefly bounce the link"}};
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
