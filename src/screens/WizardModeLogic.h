// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wizard's behaviour without its window: the chosen profile lives only in the shared
// current settings record.
#include <QString>

#include "core/TcpSettings.h"
#include "ui/ITuningFollowUp.h"
#include "ui/ScreenBackground.h"

namespace zf {

struct AppServices;
class IMainWindow;

// The summary of a settings record, tabs and CR LF included, as the wizard shows it.
QString BuildModeDescription(const TcpSettings& settings);

// Loaded at start-up, so the record holds profile 0 from then on whether or not the wizard is opened.
class WizardModeLogic : public IScreenBackground {
 public:
  WizardModeLogic(AppServices& services, IMainWindow& mainWindow, ITuningFollowUp& followUp)
      : m_services(services), m_mainWindow(mainWindow), m_followUp(followUp) {}

  void Load() override { Form_Load(); }
  void Unload() override {}

  // Selects profile 0 and copies it into the current record.
  void Form_Load();
  // Copies profile `index` whole into the current record, unless it is already selected.
  void optMode_Click(int index);
  // Applies the current record; on success the movie returns to its home page, when nothing
  // could be written the reason is shown and the screen stays.
  void cmdOptimize_Click();

  // The advanced mode has changed the current record since the option was chosen: Optimize
  // applies its values, not the profile's.
  bool AdvancedValuesPending() const;

  int selectedMode() const { return m_selectedMode; }
  const QString& description() const { return m_description; }
  // What the values Optimize would apply cap one connection at, beside the last connection
  // test's figures; empty when no test has measured.
  QString capLine() const;

 private:
  void CopyProfile(int index);

  AppServices& m_services;
  IMainWindow& m_mainWindow;
  ITuningFollowUp& m_followUp;
  int m_selectedMode = 0;
  QString m_description = QStringLiteral("Modes Description");
};

}  // namespace zf
