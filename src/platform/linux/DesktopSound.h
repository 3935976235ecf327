// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's default event sound: the freedesktop sound theme's "bell" through libcanberra,
// and the window system's beep where canberra cannot play (no sound server, no theme).

namespace zf {

void PlayDesktopDefaultSound();

}  // namespace zf
