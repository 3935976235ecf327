// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/KernelApplyFlow.h"

#include <unistd.h>

#include <QWidget>
#include <algorithm>
#include <chrono>
#include <utility>

#include "core/SettingsBackup.h"
#include "kernel/HelperProcess.h"
#include "kernel/InterruptedApply.h"
#include "kernel/frmKernelPreview.h"

namespace zf {
namespace {

const std::string kTitle = "Zentrofast";
const char* const kNothingChanged = QT_TRANSLATE_NOOP(
    "zf::KernelApplyFlow", "Nothing was changed on this computer; the tuned values stay in Zentrofast's settings.");

std::string CauseText(RevertCause cause, int keepWithinSeconds, const std::string& detail) {
  switch (cause) {
    case RevertCause::RevertPressed: return "The previous network settings of this computer are back.";
    case RevertCause::CountdownEnded:
      return "Keep was not pressed within " + std::to_string(keepWithinSeconds) +
             " seconds, so the previous network settings of this computer are back.";
    case RevertCause::HelperDeadline:
      return "The time to keep the new settings ran out, so the previous network settings of this computer are "
             "back." +
             (detail.empty() ? std::string() : " (" + detail + ")");
    case RevertCause::HelperEnded:
      return "The kernel helper stopped before the new settings were kept. A recovery run put the previous "
             "network settings of this computer back.";
    case RevertCause::HelperLost:
      return "The kernel helper stopped before the new settings were kept, and they could not all be rolled "
             "back: " +
             detail + "\n\nSome of the new network settings may still be live on this computer.";
    case RevertCause::Failure:
      return "The settings could not be applied to this computer: " + detail +
             "\n\nThe network settings of this computer are as they were.";
  }
  return {};
}

// Why the administrator could not be asked, and what to do instead, by pkexec's cause.
std::string AuthenticationProblem(ErrorKind kind) {
  const std::string terminal = " To apply the settings from a terminal, run \"sudo zentrofastctl kernel apply\".";
  switch (kind) {
    case ErrorKind::NoPkexec:
      return "Applying settings to this computer needs pkexec (the Debian package \"pkexec\"), which is not "
             "installed." +
             terminal;
    case ErrorKind::HelperNotInstalled:
      return "Zentrofast's kernel helper is missing from this computer; reinstall the zentrofast package.";
    case ErrorKind::PolkitUnavailable:
      return "Zentrofast could not ask for the administrator's password: polkit (polkitd) is not running." + terminal;
    case ErrorKind::PolkitRuleRefused:
      return "A polkit rule on this computer does not allow this user to change its network settings; ask an "
             "administrator." +
             terminal;
    default: return {};
  }
}

}  // namespace

std::string MissingAuthenticationTool() {
  const std::vector<std::string> command = kernel::HelperCommandLine();
  if (command.size() < 2 || !command.front().ends_with("/pkexec") || ::access(command.front().c_str(), X_OK) == 0)
    return {};
  return "Applying settings to this computer needs pkexec (the Debian package \"pkexec\"), which is not installed. "
         "Install it, or run \"sudo zentrofastctl kernel apply\" in a terminal.";
}

KernelApplyFlow::KernelApplyFlow(AppServices& services, KernelFlowSetup setup, QObject* parent)
    : QObject(parent), m_services(services), m_setup(std::move(setup)) {
  m_poll.setInterval(m_setup.pollMilliseconds);
  m_tick.setInterval(m_setup.tickMilliseconds);
  connect(&m_poll, &QTimer::timeout, this, &KernelApplyFlow::PollSession);
  connect(&m_tick, &QTimer::timeout, this, &KernelApplyFlow::Tick);
}

// A session still open when the program ends is reverted by the helper itself, as its pipe closes.
KernelApplyFlow::~KernelApplyFlow() {
  CancelMeasuring();
  delete m_preview;
  delete m_countdown;
}

void KernelApplyFlow::AfterStoreWritten(RegistryWayBack wayBack) {
  if (m_stage != Stage::Idle) {
    m_setup.balloon(
        tr("Zentrofast is still busy applying earlier settings to this computer. Apply the new "
           "ones later from This Computer's Network."));
    return;
  }
  Result<kernel::KernelPlan> plan = m_setup.bridge.Plan();
  if (!plan) {
    Tell(tr("Zentrofast could not compare its tuned values with this computer's network settings: %1")
             .arg(QString::fromStdString(plan.error().text))
             .toStdString(),
         MsgIcon::Exclamation);
    return;
  }
  if (!plan->ChangesAnything()) {
    m_setup.balloon(tr("This computer already has these network settings."));
    return;
  }
  m_wayBack = std::move(wayBack);
  ShowPreview(std::move(plan.value()));
}

void KernelApplyFlow::ShowPreview(kernel::KernelPlan plan) {
  m_plan = std::move(plan);
  m_stage = Stage::Preview;
  m_measureTarget = m_setup.measurer != nullptr ? m_setup.measurer->StoredTarget() : std::string();
  m_before.reset();
  m_preview = new frmKernelPreview(BuildPreview(m_plan), DialogParent(), QString::fromStdString(m_measureTarget));
  m_preview->setAttribute(Qt::WA_DeleteOnClose);
  m_preview->setWindowModality(Qt::ApplicationModal);
  connect(m_preview, &QDialog::finished, this, [this](int answer) {
    const bool ipv6LossAccepted = m_preview->ipv6LossAccepted();
    if (answer == QDialog::Accepted && m_preview->measureBeforeAndAfter()) {
      MeasureBefore(ipv6LossAccepted);
    } else if (answer == QDialog::Accepted) {
      m_measureTarget.clear();
      StartApply(ipv6LossAccepted);
    } else {
      Finish();
    }
  });
  m_preview->show();
}

// Nothing is applied without the figures to compare with.
void KernelApplyFlow::MeasureBefore(bool ipv6LossAccepted) {
  if (const std::string missing = m_setup.missingAuthenticationTool(); !missing.empty()) {
    RefusedBeforeApplying(missing);
    return;
  }
  m_stage = Stage::MeasuringBefore;
  m_setup.balloon(
      tr("Measuring the connection to %1 before changing anything...").arg(QString::fromStdString(m_measureTarget)));
  m_measuring = true;
  m_setup.measurer->Measure(m_measureTarget, [this, ipv6LossAccepted](Result<figures::PathFacts> before) {
    m_measuring = false;
    if (!before) {
      RefusedBeforeApplying(
          tr("The connection to %1 could not be measured before applying (%2), so nothing was applied.")
              .arg(QString::fromStdString(m_measureTarget), QString::fromStdString(before.error().text))
              .toStdString());
      return;
    }
    m_before = before.value();
    StartApply(ipv6LossAccepted);
  });
}

void KernelApplyFlow::StartApply(bool ipv6LossAccepted) {
  if (const std::string missing = m_setup.missingAuthenticationTool(); !missing.empty()) {
    RefusedBeforeApplying(missing);
    return;
  }
  // The second measurement runs inside the window, so the user still has the whole window to
  // decide once the figures are in.
  m_keepWithinSeconds = m_setup.keepWithinSeconds + (m_before ? m_setup.measurer->MeasuringSeconds() : 0);
  kernel::ApplyOptions options;
  options.keepWithinSeconds = m_keepWithinSeconds;
  options.allowIpv6Loss = ipv6LossAccepted;
  if (!m_wayBack.file.empty()) options.backupName = m_wayBack.name;
  // Should this program die in the window, its next start brings the store back; without the
  // record the apply still goes ahead, as it did before there was one.
  if (m_wayBack.Exists())
    static_cast<void>(RecordPendingApply(PendingApplyFile(m_services.config.registryFile), m_wayBack));
  m_session = m_setup.bridge.Apply(m_plan, options);
  if (!m_session) {
    GoBack(RevertCause::Failure, "the kernel helper could not be started");
    return;
  }
  m_stage = Stage::Authenticating;
  m_poll.start();
}

void KernelApplyFlow::PollSession() {
  if (!m_session) return;
  const kernel::SessionState state = m_session->Poll(0);
  if (m_stage == Stage::Authenticating) {
    if (state == kernel::SessionState::Applied) StartCountdown();
    if (state != kernel::SessionState::Failed) return;
    const std::string message = m_session->Message();
    switch (m_session->FailureKind()) {
      case ErrorKind::NoAuthenticationAgent:
        RefusedBeforeApplying(tr("Zentrofast could not ask for the administrator's password: no authentication agent "
                                 "is running on this desktop. To apply the settings from a terminal, run \"sudo "
                                 "zentrofastctl kernel apply\".")
                                  .toStdString());
        return;
      case ErrorKind::AuthorisationRefused:
        RefusedBeforeApplying(tr("The administrator's password was not given.").toStdString());
        return;
      case ErrorKind::NoPkexec:
      case ErrorKind::HelperNotInstalled:
      case ErrorKind::PolkitUnavailable:
      case ErrorKind::PolkitRuleRefused: RefusedBeforeApplying(AuthenticationProblem(m_session->FailureKind())); return;
      default: GoBack(RevertCause::Failure, message); return;
    }
  }
  if (m_stage != Stage::Countdown) return;
  if (state == kernel::SessionState::Reverted) GoBack(RevertCause::HelperDeadline, m_session->Message());
  if (state == kernel::SessionState::Recovered) GoBack(RevertCause::HelperEnded);
  if (state == kernel::SessionState::Failed) GoBack(RevertCause::HelperLost, m_session->Message());
}

void KernelApplyFlow::StartCountdown() {
  using namespace std::chrono;
  const auto untilDeadline = ceil<seconds>(m_session->Deadline() - steady_clock::now()).count();
  m_secondsLeft = static_cast<int>(std::clamp<long long>(untilDeadline, 1, m_keepWithinSeconds));
  m_stage = Stage::Countdown;
  m_countdown = new frmKernelCountdown(DialogParent());
  m_countdown->setAttribute(Qt::WA_DeleteOnClose);
  m_countdown->setWindowModality(Qt::ApplicationModal);
  m_countdown->SetSecondsLeft(m_secondsLeft);
  connect(m_countdown, &QDialog::finished, this, [this](int answer) {
    if (m_stage != Stage::Countdown) return;  // closed by the flow itself
    if (answer == QDialog::Accepted) {
      Keep();
    } else {
      GoBack(RevertCause::RevertPressed);
    }
  });
  m_countdown->show();
  m_tick.start();
  if (m_before) MeasureAfter();
}

void KernelApplyFlow::MeasureAfter() {
  m_countdown->ShowMeasuring(QString::fromStdString(m_measureTarget));
  m_measuring = true;
  m_setup.measurer->Measure(m_measureTarget, [this](Result<figures::PathFacts> after) {
    m_measuring = false;
    if (m_stage != Stage::Countdown || !m_countdown) return;
    std::optional<figures::PathFacts> facts;
    if (after) facts = after.value();
    const std::string sentence =
        figures::BeforeAfterSentence(*m_before, facts, after ? std::string() : after.error().text);
    m_countdown->ShowComparison(QString::fromStdString(sentence),
                                !figures::KeepAfter(figures::Compare(*m_before, facts)));
  });
}

void KernelApplyFlow::CancelMeasuring() {
  if (std::exchange(m_measuring, false)) m_setup.measurer->Cancel();
}

void KernelApplyFlow::Tick() {
  if (--m_secondsLeft <= 0) {
    GoBack(RevertCause::CountdownEnded);
    return;
  }
  if (m_countdown) m_countdown->SetSecondsLeft(m_secondsLeft);
}

void KernelApplyFlow::Keep() {
  CancelMeasuring();
  m_tick.stop();
  m_poll.stop();
  const Result<std::string> kept = m_session->Keep();
  if (!kept) {
    m_stage = Stage::Authenticating;  // no dialog left to close
    GoBack(RevertCause::Failure, "they could not be kept (" + kept.error().text + ")");
    return;
  }
  Finish();
  m_setup.balloon(tr("The new network settings are kept. ") + QString::fromStdString(kept.value()));
}

void KernelApplyFlow::GoBack(RevertCause cause, const std::string& detail) {
  CancelMeasuring();
  m_tick.stop();
  m_poll.stop();
  m_stage = Stage::Idle;
  if (m_countdown) m_countdown->close();
  std::string text = CauseText(cause, m_keepWithinSeconds, detail);
  if (m_session && m_session->State() == kernel::SessionState::Applied) {
    if (const Result<Done> reverted = m_session->Revert(); !reverted)
      text += "\n\nThe kernel helper reported: " + reverted.error().text;
  }
  // While new values may be live, the store keeps the tuned values that describe them.
  text += "\n\n" +
          (cause == RevertCause::HelperLost ? std::string("Zentrofast's tuned values are unchanged.") : RestoreStore());
  Finish();
  const bool bad = cause == RevertCause::Failure || cause == RevertCause::HelperLost;
  Tell(text, bad ? MsgIcon::Exclamation : MsgIcon::Information);
}

void KernelApplyFlow::RefusedBeforeApplying(const std::string& message) {
  Finish();
  Tell(message + "\n\n" + tr(kNothingChanged).toStdString(), MsgIcon::Exclamation);
}

// The store follows the computer back through the backup the run took.
std::string KernelApplyFlow::RestoreStore() {
  if (!m_wayBack.Exists()) return "Zentrofast's tuned values are unchanged.";
  const RestoreResult restored =
      m_wayBack.file.empty()
          ? RestoreBackupBytes(m_services.registry, m_services.os.code, m_wayBack.name, m_wayBack.snapshot)
          : RestoreSettingsBackup(m_services.registry, m_services.os.code, m_wayBack.file);
  if (restored.outcome == RestoreOutcome::Completed && restored.failedWrites.empty())
    return "Zentrofast's settings went back to " + m_wayBack.name + " too, so they match this computer.";
  const std::string why = !restored.description.empty()
                              ? restored.description
                              : std::to_string(restored.failedWrites.size()) + " values were refused by the store.";
  return "Zentrofast's settings could not be put back to " + m_wayBack.name + ": " + why;
}

void KernelApplyFlow::Finish() {
  CancelMeasuring();
  m_tick.stop();
  m_poll.stop();
  m_stage = Stage::Idle;
  m_session.reset();
  if (m_wayBack.Exists()) ForgetPendingApply(PendingApplyFile(m_services.config.registryFile));
  m_wayBack = {};
  emit Ended();
  // A copy: a listener may remove itself (its screen closed) while being told.
  const auto listeners = m_endedListeners;
  for (const auto& [owner, listener] : listeners) listener();
}

void KernelApplyFlow::AddEndedListener(const void* owner, std::function<void()> listener) {
  m_endedListeners.emplace_back(owner, std::move(listener));
}

void KernelApplyFlow::RemoveEndedListeners(const void* owner) {
  std::erase_if(m_endedListeners, [owner](const auto& entry) { return entry.first == owner; });
}

void KernelApplyFlow::Tell(const std::string& text, MsgIcon icon) {
  m_services.messageBox.Show(text, kTitle, icon, MsgButtons::Ok);
}

QWidget* KernelApplyFlow::DialogParent() const { return m_setup.dialogParent ? m_setup.dialogParent() : nullptr; }

}  // namespace zf
