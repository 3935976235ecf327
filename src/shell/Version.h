// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace zf {

// "major.minor.0.revision" of this build.
QString VersionText();

}  // namespace zf
