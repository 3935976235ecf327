// SPDX-License-Identifier: GPL-3.0-or-later
// A Qt generic plugin doing what a hostile user's plugin would: open a raw packet socket inside
// whatever program loads it. It reports the outcome on stdout and ends the program at once.
#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGenericPlugin>
#include <cerrno>
#include <cstdio>
#include <cstring>

class AfPacketProbe : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "AfPacketProbe.json")

 public:
  QObject* create(const QString&, const QString&) override {
    const int fd = ::socket(AF_PACKET, SOCK_RAW, htons(ETH_P_ALL));
    if (fd >= 0) {
      std::puts("afpacket: opened");
    } else {
      std::printf("afpacket: refused (%s)\n", std::strerror(errno));
    }
    std::fflush(stdout);
    ::_exit(0);
  }
};

#include "AfPacketProbe.moc"
