// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures shipped inside the program, read in the format their name gives. Left to guess the
// format, Qt loads every image plugin of the system first, which costs the start-up several
// milliseconds for pictures whose format is known.
#include <QImage>
#include <QString>

namespace zf {

// The picture at path, or a null image when it is missing or not in its suffix's format.
QImage ReadBuiltInImage(const QString& path);

}  // namespace zf
