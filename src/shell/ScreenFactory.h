#pragma once
#include <memory>

#include "ui/ChildScreen.h"

namespace zf {

// The program's screen for id, not loaded yet; one line per screen.
std::unique_ptr<ChildScreen> CreateScreen(ScreenId id, AppServices& services);

}  // namespace zf
