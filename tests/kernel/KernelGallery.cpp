// SPDX-License-Identifier: GPL-3.0-or-later
// Shows one of the kernel bridge's dialogs with sample content for a few seconds, to look at by
// eye and photograph:
//   cmake --build build --target kernel_gallery
//   xvfb-run -a -s "-screen 0 1024x768x24" sh -c 'build/bin/kernel_gallery preview & sleep 2; import -window root
//   p.png'
#include <QApplication>
#include <QTimer>
#include <cstring>

#include "kernel/KernelPreview.h"
#include "kernel/frmKernelPreview.h"

using namespace zf;

namespace {

kernel::KernelPlan SamplePlan() {
  kernel::KernelPlan plan;
  plan.changes = {
      {"net/ipv4/ip_default_ttl", "net.ipv4.ip_default_ttl", "64", "128", {}},
      {"net/ipv4/tcp_keepalive_time", "net.ipv4.tcp_keepalive_time", "7200", "600", {}},
      {"net/ipv4/tcp_rmem", "net.ipv4.tcp_rmem", "4096 131072 6291456", "4096 8576 8576", {}},
      {"net/ipv4/tcp_mtu_probing", "net.ipv4.tcp_mtu_probing", "0", "0", {}},
      {"link/enp3s0/mtu", "enp3s0 MTU", "1500", "576", "MSS 536 follows from the MTU"},
  };
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

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const bool countdown = argc > 1 && std::strcmp(argv[1], "countdown") == 0;
  frmKernelPreview preview(BuildPreview(SamplePlan()));
  frmKernelCountdown keep;
  keep.SetSecondsLeft(27);
  QDialog& shown = countdown ? static_cast<QDialog&>(keep) : preview;
  shown.show();
  shown.move(40, 40);
  QTimer::singleShot(6000, &app, &QApplication::quit);
  return QApplication::exec();
}
