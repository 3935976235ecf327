#pragma once
// What both tuning screens do with the current settings record once the user commits.

#include <string>

namespace zf {

struct AppServices;
struct ApplyResult;

// Applies the current settings record. When nothing was written although the family has a
// layout (no backup could be taken, or the store refused the writes), shows the reason in a
// plain message box and returns false. An apply whose backup could not keep some values goes
// on and then names them in a message box.
bool RunApplySettings(AppServices& services);
// Names the values a backup could not keep, one per line.
std::string UnkeptValuesText(const ApplyResult& result);
// Brings the movie to the front and sends it back to its home page.
void ReturnMovieHome(AppServices& services);

}  // namespace zf
