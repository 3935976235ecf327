#pragma once
#include <memory>

#include "shell/ChildScreen.h"

namespace zf {

// The program's screen for id, not loaded yet. One line per screen: a screen arriving in the
// build replaces its placeholder line here and nothing else.
std::unique_ptr<ChildScreen> CreateScreen(ScreenId id, AppServices& services);

}  // namespace zf
