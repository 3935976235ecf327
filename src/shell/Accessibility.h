// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a screen reader hears of the program's widgets, where Qt's own description falls short.

namespace zf {

// A group box is named by its own title: Qt names a box nested in another by the outer box's
// title, so every inner group of a screen would be read as the screen's name.
void InstallAccessibleGroupBoxes();

}  // namespace zf
