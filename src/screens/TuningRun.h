// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What both tuning screens do with the current settings record once the user commits.
#include <QString>
#include <optional>
#include <string>

#include "core/ApplySettings.h"
#include "ui/ITuningFollowUp.h"

namespace zf {

struct AppServices;
class IMainWindow;

// Applies the current settings record; once applied, the tray tells what was done (done, a
// sentence such as "The wizard's settings were applied.") and names the backup. When nothing
// was written although the family has a layout (no backup could be taken, or the store
// refused the writes), shows the reason in a plain message box and returns nothing. An apply
// whose backup could not keep some values goes on and then names them in a message box.
std::optional<ApplyResult> RunApplySettings(AppServices& services, IMainWindow& mainWindow, const QString& done);
// Names the values a backup could not keep, one per line.
std::string UnkeptValuesText(const ApplyResult& result);
// Brings the movie to the front and sends it back to its home page.
void ReturnMovieHome(IMainWindow& mainWindow);
// The movie goes home; then, when the run wrote the store, this computer is offered the values.
void FinishTuningRun(IMainWindow& mainWindow, ITuningFollowUp& followUp, const ApplyResult& run);

}  // namespace zf
