#pragma once
// What both tuning screens do with the current settings record once the user commits.

namespace zf {

struct AppServices;
class IMainWindow;

// Applies the current settings record. When nothing was written although the family has a
// layout (no backup could be taken, or the store refused the writes), shows the reason in a
// plain message box and returns false.
bool RunApplySettings(AppServices& services);
// Brings the movie to the front and sends it back to its home page.
void ReturnMovieHome(IMainWindow& mainWindow);

}  // namespace zf
