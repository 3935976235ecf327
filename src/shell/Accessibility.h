// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a screen reader hears of the program's widgets, where Qt's own description falls short.

namespace zf {

// Installs the program's own accessible descriptions:
// - a group box is named by its own title: Qt names a box nested in another by the outer box's
//   title, so every inner group of a screen would be read as the screen's name;
// - the running graphs are charts, named by their figures, not anonymous panels;
// - the timed balloon is a notification, and its close image a button that can be pressed
//   without a mouse.
void InstallAccessibleWidgets();

}  // namespace zf
