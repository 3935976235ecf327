#pragma once
// What both tuning screens do with the current settings record once the user commits.

#include <QString>

namespace zf {

struct AppServices;

// Applies the current settings record; once applied, the tray tells what was done (done, a
// sentence such as "The wizard's settings were applied.") and names the backup. When nothing
// was written although the family has a layout (no backup could be taken, or the store
// refused the writes), shows the reason in a plain message box and returns false.
bool RunApplySettings(AppServices& services, const QString& done);
// Brings the movie to the front and sends it back to its home page.
void ReturnMovieHome(AppServices& services);

}  // namespace zf
