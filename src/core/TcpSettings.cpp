// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/TcpSettings.h"

#include "core/Translatable.h"

namespace zf {
namespace {

constexpr TcpSettings Profile(std::int32_t mss, std::int32_t mtu, std::int32_t rwin, std::int32_t ttl,
                              std::int32_t keepAliveTime, std::int32_t per10Server, std::int32_t perServer) {
  TcpSettings s;
  s.MSS = mss;
  s.MTU = mtu;
  s.RWIN = rwin;
  s.TTL = ttl;
  s.KeepAliveTime = keepAliveTime;
  s.KeepAliveInterval = 1000;
  s.SYNAttackProtect = 2;
  s.NdiCacheSize = 0;
  s.PmtuDiscovery = true;
  s.BlackHoleDetect = false;
  s.MaxConnPer10Server = per10Server;
  s.MaxConnPerServer = perServer;
  s.IcmpRedirects = false;
  return s;
}

constexpr ProfileTable kProfiles{
    Profile(536, 576, 4288, 128, 600000, 16, 8),
    Profile(536, 576, kDeleteMarker, 128, 600000, 16, 8),
    Profile(kDeleteMarker, kDeleteMarker, kDeleteMarker, 128, 600000, 16, 8),
    Profile(536, 576, 5432, 64, 7200000, 20, 20),
    Profile(1460, 1500, 256960, 64, 7200000, 20, 20),
    Profile(1452, 1492, 255552, 64, 7200000, 20, 20),
    Profile(1460, 1500, 256960, 32, 6400000, 20, 20),
    Profile(1500, 1500, 8192, 32, 3600000, 2, 4),
};

constexpr std::array<std::string_view, kProfileCount> kProfileCaptions{
    ZF_TRANSLATABLE("zf::Profiles", "Automatic-A"), ZF_TRANSLATABLE("zf::Profiles", "Automatic-B"),
    ZF_TRANSLATABLE("zf::Profiles", "Automatic-C"), ZF_TRANSLATABLE("zf::Profiles", "Automatic-D"),
    ZF_TRANSLATABLE("zf::Profiles", "Automatic-E"), ZF_TRANSLATABLE("zf::Profiles", "Automatic-F"),
    ZF_TRANSLATABLE("zf::Profiles", "Automatic-G"), ZF_TRANSLATABLE("zf::Profiles", "Windows default")};

constexpr std::array<ConnectionTypeRecommendation, kConnectionTypeCount> kConnectionTypes{{
    {"Dial Up Connection (Modem).", 576, 536, 3},
    {"Cable Modem.", 1500, 1460, 44},
    {"Digital  Subscriber Line (DSL).", 1492, 1452, 44},
    {"LAN Connection(Ethernet).", 1500, 1460, 44},
}};

}  // namespace

const ProfileTable& Profiles() { return kProfiles; }

std::string_view ProfileCaption(int index) {
  return index >= 0 && index < kProfileCount ? kProfileCaptions[index] : std::string_view();
}

const ConnectionTypeRecommendation& ConnectionType(int index) {
  return kConnectionTypes.at(static_cast<std::size_t>(index));
}

double RecommendedRwin(double mss, double multiplier) { return mss * multiplier * kRwinScaleFactor; }

TcpSettings RecommendedSettings(int connectionType) {
  const ConnectionTypeRecommendation& type = ConnectionType(connectionType);
  TcpSettings s = Profile(type.MSS, type.MTU, 0, 64, 7200000, 20, 20);
  s.RWIN = static_cast<std::int32_t>(RecommendedRwin(type.MSS, type.rwinMultiplier));
  return s;
}

}  // namespace zf
