// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The thirteen tunable parameters, the eight wizard profiles and the connection-type
// recommendations of the advanced editor.
#include <array>
#include <cstdint>
#include <string_view>

namespace zf {

// −1 in MTU or RWIN: leave the value to the system (delete it instead of writing).
inline constexpr std::int32_t kDeleteMarker = -1;

struct TcpSettings {
  std::int32_t MSS = 0;
  std::int32_t MTU = 0;
  std::int32_t RWIN = 0;
  std::int32_t TTL = 0;
  std::int32_t KeepAliveTime = 0;
  std::int32_t KeepAliveInterval = 0;
  std::int16_t SYNAttackProtect = 0;
  std::int32_t NdiCacheSize = 0;
  bool PmtuDiscovery = false;
  bool BlackHoleDetect = false;
  std::int32_t MaxConnPer10Server = 0;
  std::int32_t MaxConnPerServer = 0;
  bool IcmpRedirects = false;

  bool operator==(const TcpSettings&) const = default;
};

inline constexpr int kProfileCount = 8;
using ProfileTable = std::array<TcpSettings, kProfileCount>;

// The profiles by index, as the wizard lists them.
const ProfileTable& Profiles();
// The catalogue context of the captions (core/Translatable.h).
inline constexpr char kProfilesContext[] = "zf::Profiles";
std::string_view ProfileCaption(int index);

inline constexpr int kConnectionTypeCount = 4;
inline constexpr int kRwinScaleFactor = 4;

struct ConnectionTypeRecommendation {
  std::string_view caption;
  std::int32_t MTU;
  std::int32_t MSS;
  std::int32_t rwinMultiplier;
};

const ConnectionTypeRecommendation& ConnectionType(int index);
// MSS × multiplier × scale factor.
double RecommendedRwin(double mss, double multiplier);
// The full record the advanced editor starts from for a connection type.
TcpSettings RecommendedSettings(int connectionType);

// The shared tuning state of one run: the current record the screens fill, and the profiles.
struct TuningState {
  TcpSettings current;  // all zero/off until a screen touches it
  ProfileTable profiles{};
  void FillProfiles() { profiles = Profiles(); }
};

}  // namespace zf
