// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// After a tuning run or a restore has written the store: the plan shown, the helper started
// without blocking the window, the countdown, and the store put back whenever the computer
// does not keep the new values, so that both agree.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/AppServices.h"
#include "kernel/IKernelBridge.h"
#include "kernel/frmKernelPreview.h"
#include "ui/IConnectionMeasurer.h"
#include "ui/ITuningFollowUp.h"

class QWidget;

namespace zf {

// Why a session ended without the values being applied or kept.
// HelperEnded: the helper stopped in the window and a recovery run put the previous values back;
// HelperLost: that recovery failed too, so the new values may still be live.
enum class RevertCause { RevertPressed, CountdownEnded, HelperDeadline, HelperEnded, HelperLost, Failure };

struct KernelFlowSetup {
  kernel::IKernelBridge& bridge;
  // A short notice on the tray icon.
  std::function<void(const QString& text)> balloon;
  // The window the dialogs belong to; may return null.
  std::function<QWidget*()> dialogParent;
  // A sentence when the tool that asks for the administrator's password is missing, else empty.
  std::function<std::string()> missingAuthenticationTool;
  int keepWithinSeconds = 30;
  int pollMilliseconds = 100;
  int tickMilliseconds = 1000;
  // Measures the connection-test target before and after an apply; none: the preview offers no
  // measuring.
  IConnectionMeasurer* measurer = nullptr;
};

class KernelApplyFlow : public QObject, public ITuningFollowUp {
  Q_OBJECT

 public:
  enum class Stage { Idle, Preview, MeasuringBefore, Authenticating, Countdown };

  KernelApplyFlow(AppServices& services, KernelFlowSetup setup, QObject* parent = nullptr);
  ~KernelApplyFlow() override;

  // Offers the store's tuned values to this computer; wayBack is how the store returns should
  // the computer not keep them (none when the store was not just changed).
  void AfterStoreWritten(RegistryWayBack wayBack) override;
  void AddEndedListener(const void* owner, std::function<void()> listener) override;
  void RemoveEndedListeners(const void* owner) override;

  Stage stage() const { return m_stage; }
  frmKernelPreview* previewDialog() const { return m_preview; }
  frmKernelCountdown* countdownDialog() const { return m_countdown; }
  int secondsLeft() const { return m_secondsLeft; }

 signals:
  // The computer's settings may have changed (kept or gone back); views showing them refresh.
  void Ended();

 private:
  void ShowPreview(kernel::KernelPlan plan);
  void MeasureBefore(bool ipv6LossAccepted);
  void StartApply(bool ipv6LossAccepted);
  void MeasureAfter();
  void CancelMeasuring();
  void PollSession();
  void StartCountdown();
  void Tick();
  void Keep();
  void GoBack(RevertCause cause, const std::string& detail = {});
  void RefusedBeforeApplying(const std::string& message);
  std::string RestoreStore();
  void Finish();
  void Tell(const std::string& text, MsgIcon icon);
  QWidget* DialogParent() const;

  AppServices& m_services;
  KernelFlowSetup m_setup;
  Stage m_stage = Stage::Idle;
  kernel::KernelPlan m_plan;
  RegistryWayBack m_wayBack;
  std::unique_ptr<kernel::IKernelSession> m_session;
  QPointer<frmKernelPreview> m_preview;
  QPointer<frmKernelCountdown> m_countdown;
  QTimer m_poll;
  QTimer m_tick;
  int m_secondsLeft = 0;
  int m_keepWithinSeconds = 0;  // the helper's window: longer by a measurement inside it
  std::string m_measureTarget;
  std::optional<figures::PathFacts> m_before;
  bool m_measuring = false;
  std::vector<std::pair<const void*, std::function<void()>>> m_endedListeners;
};

// A sentence when the helper would start through pkexec and pkexec is not installed; else empty.
std::string MissingAuthenticationTool();

}  // namespace zf
