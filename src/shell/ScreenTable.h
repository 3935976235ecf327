// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every screen the main window hosts, once, in the order the host walks them, with what the
// host does with each: the one place a new screen is entered. The orders of loading at
// start-up, hiding and unloading are read from it.
#include <array>
#include <cstddef>

#include "ui/ScreenId.h"

namespace zf {

struct ScreenTraits {
  ScreenId id;
  // Loaded when the window has started: its background runs from then on, its widgets wait
  // for first use.
  bool atStartup = false;
  // Loaded only when first shown, hidden with the others once loaded, never unloaded by the
  // closing orders; the others are loaded by "hide every screen".
  bool onFirstShow = false;
  // Unloaded after the others when the window closes or the computer restarts (the RAM booster
  // uses the status screen's processor probe).
  bool unloadedLast = false;
  // Has a background (ui/ScreenBackground.h) that the host loads in place of the widgets.
  bool background = false;
};

// In the order of ScreenId.
inline constexpr std::array kScreens{
    ScreenTraits{.id = ScreenId::WizardMode, .atStartup = true, .background = true},
    ScreenTraits{.id = ScreenId::NormalMode},
    ScreenTraits{.id = ScreenId::BackUp, .atStartup = true, .background = true},
    ScreenTraits{.id = ScreenId::NetPingerSettings, .atStartup = true, .background = true},
    ScreenTraits{.id = ScreenId::SystemStatus, .atStartup = true, .unloadedLast = true, .background = true},
    ScreenTraits{.id = ScreenId::RamConfiguration, .atStartup = true, .background = true},
    ScreenTraits{.id = ScreenId::MainSettings, .atStartup = true, .background = true},
    ScreenTraits{.id = ScreenId::KernelSettings, .onFirstShow = true},
    ScreenTraits{.id = ScreenId::ConnectionTest, .onFirstShow = true},
};
inline constexpr std::size_t kScreenCount = kScreens.size();

// Each screen once, in the order of its number, and no screen beyond the table.
constexpr bool ListsEveryScreenOnce(const auto& table) {
  for (std::size_t i = 0; i < table.size(); ++i)
    if (table[i].id != static_cast<ScreenId>(i)) return false;
  return ScreenName(static_cast<ScreenId>(table.size())).empty();
}
static_assert(ListsEveryScreenOnce(kScreens), "kScreens must list every ScreenId once, in the order of the enum");

constexpr const ScreenTraits& TraitsOf(ScreenId id) { return kScreens[static_cast<std::size_t>(id)]; }

// Some of the screens, in an order the host walks.
class ScreenOrder {
 public:
  constexpr void push_back(ScreenId id) { m_ids[m_size++] = id; }
  constexpr const ScreenId* begin() const { return m_ids.data(); }
  constexpr const ScreenId* end() const { return m_ids.data() + m_size; }
  constexpr std::size_t size() const { return m_size; }

 private:
  std::array<ScreenId, kScreenCount> m_ids{};
  std::size_t m_size = 0;
};

constexpr ScreenOrder SelectScreens(bool (*wanted)(const ScreenTraits&)) {
  ScreenOrder order;
  for (const ScreenTraits& screen : kScreens)
    if (wanted(screen)) order.push_back(screen.id);
  return order;
}

// Loaded at start-up, in table order.
inline constexpr ScreenOrder kStartupScreens = SelectScreens([](const ScreenTraits& s) { return s.atStartup; });
// Loaded by "hide every screen"; hidden, shown again after the About panel and unloaded by the
// close command in this order.
inline constexpr ScreenOrder kAllScreens = SelectScreens([](const ScreenTraits& s) { return !s.onFirstShow; });
// Loaded only when first shown.
inline constexpr ScreenOrder kLaterScreens = SelectScreens([](const ScreenTraits& s) { return s.onFirstShow; });
// The unload order of the window's own closing and of the restart command.
inline constexpr ScreenOrder kClosingOrder = [] {
  ScreenOrder order = SelectScreens([](const ScreenTraits& s) { return !s.onFirstShow && !s.unloadedLast; });
  for (ScreenId id : SelectScreens([](const ScreenTraits& s) { return !s.onFirstShow && s.unloadedLast; }))
    order.push_back(id);
  return order;
}();

}  // namespace zf
