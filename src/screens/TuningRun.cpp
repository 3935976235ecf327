// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/TuningRun.h"

#include <QCoreApplication>
#include <string>

#include "core/AppServices.h"
#include "core/ApplySettings.h"
#include "ui/IMainWindow.h"
#include "ui/ITuningFollowUp.h"

namespace zf {

// A family without a layout applies nothing and says nothing, as before; a run that wrote
// nothing although it should have is never passed off as done.
std::optional<ApplyResult> RunApplySettings(AppServices& services, IMainWindow& mainWindow, const QString& done) {
  const TuningContext context{services.registry, services.clock, BackupsFolder(services.config), services.os.code};
  ApplyResult result = ApplySettings(context, services.tuning.current);
  if (result.ok()) {
    const QString backup = QString::fromStdString(result.backupFile.filename().string());
    mainWindow.ShowNotice(
        QCoreApplication::translate("zf::TuningRun", "%1 Backup of the values before: %2").arg(done, backup));
  }
  if (result.outcome != ApplyOutcome::Refused && result.outcome != ApplyOutcome::Failed) {
    if (!result.unkeptValues.empty())
      services.messageBox.Show(UnkeptValuesText(result), "Zentrofast", MsgIcon::Exclamation, MsgButtons::Ok);
    return result;
  }
  services.messageBox.Show(result.reason, "Zentrofast", MsgIcon::Stop, MsgButtons::Ok);
  return std::nullopt;
}

std::string UnkeptValuesText(const ApplyResult& result) {
  std::string text = "The settings were applied, but backup " + result.backupFile.filename().string() +
                     " could not keep every value it replaced:";
  for (const std::string& value : result.unkeptValues) text += "\n" + value;
  return text;
}

void ReturnMovieHome(IMainWindow& mainWindow) {
  mainWindow.MovieToFront();
  mainWindow.SetVariable(QStringLiteral("_root.home"), QStringLiteral("true"));
}

void FinishTuningRun(IMainWindow& mainWindow, ITuningFollowUp& followUp, const ApplyResult& run) {
  ReturnMovieHome(mainWindow);
  if (!run.ok()) return;
  followUp.AfterStoreWritten({run.backupFile.filename().string(), run.backupFile, {}});
}

}  // namespace zf
