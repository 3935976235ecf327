// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers in text boxes, read and written the way the box shows them: in the user's locale.
#include <QLocale>
#include <QString>
#include <optional>

namespace zf {

// The box's locale first ("1.500" is fifteen hundred in German); the program's own C form
// only when that fails. A text both read, but differently, is taken the box's way.
// Where the locale groups with a blank ("1 500" in French), an ordinary or no-break blank
// typed between the digits groups too.
std::optional<double> ReadBoxNumber(const QString& text, const QLocale& boxLocale);
// Text on its way to a number, typed key by key: only digits, signs, the box's and the C form's
// decimal and group marks and blanks ("1," and "1 5" on the way to fifteen hundred). It reads as
// no number yet and must not be replaced while the user types.
bool IsNumberBeingTyped(const QString& text, const QLocale& boxLocale);
// A number as the box shows it: whole numbers without a fraction, 4931.2 with its fraction
// (a decimal comma where the locale writes one), never with group separators.
QString BoxNumberText(double value, const QLocale& boxLocale);

}  // namespace zf
