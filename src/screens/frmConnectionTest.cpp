// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/frmConnectionTest.h"

#include <QCoreApplication>
#include <cmath>

#include "screens/TuningRun.h"
#include "ui_frmConnectionTest.h"

namespace zf {
namespace {

const QString kNone = QStringLiteral("\u2014");

QString MeasuredText(const ConnectionFigures& figures) {
  QString at = figures.measuredAt;
  at.replace(QLatin1Char('T'), QLatin1Char(' ')).replace(QLatin1Char('Z'), QStringLiteral(" UTC"));
  return QCoreApplication::translate("zf::frmConnectionTest", "Last result: %1, measured %2.").arg(figures.target, at);
}

}  // namespace

frmConnectionTest::frmConnectionTest(AppServices& services, IMainWindow& mainWindow, ITuningFollowUp& followUp,
                                     ConnectionTestSetup setup, QWidget* parent)
    : ChildScreen(services, mainWindow, parent),
      m_ui(std::make_unique<Ui::frmConnectionTest>()),
      m_followUp(followUp),
      m_run(setup),
      m_seconds(setup.seconds) {
  m_ui->setupUi(this);
  connect(m_ui->cmdMeasure, &QPushButton::clicked, this, &frmConnectionTest::cmdMeasure_Click);
  connect(m_ui->txtTarget, &QLineEdit::returnPressed, this, &frmConnectionTest::cmdMeasure_Click);
  connect(m_ui->cmdCancel, &QPushButton::clicked, &m_run, &ConnectionTestRun::Cancel);
  connect(m_ui->cmdApply, &QPushButton::clicked, this, &frmConnectionTest::cmdApply_Click);
  connect(&m_run, &ConnectionTestRun::Progressed, this, &frmConnectionTest::ShowProgress);
  connect(&m_run, &ConnectionTestRun::Finished, this, &frmConnectionTest::TestFinished);
}

frmConnectionTest::~frmConnectionTest() = default;

void frmConnectionTest::Form_Load() {
  SkinScreen();
  m_ui->txtTarget->setText(StoredTarget(m_services.registry));
  const QByteArray stored = StoredAnswer(m_services.registry);
  if (!stored.isEmpty()) ShowAnswer(ReadMeasureAnswer(false, 0, stored, {}));
}

void frmConnectionTest::Form_Unload() { m_run.Cancel(); }

void frmConnectionTest::cmdMeasure_Click() {
  if (m_run.running()) return;
  StoreTarget(m_services.registry, m_ui->txtTarget->text());
  if (m_run.Start(m_ui->txtTarget->text())) ShowRunning(true);
}

void frmConnectionTest::ShowRunning(bool running) {
  m_ui->cmdMeasure->setEnabled(!running);
  m_ui->txtTarget->setEnabled(!running);
  m_ui->cmdCancel->setEnabled(running);
  m_ui->cmdApply->setEnabled(!running && m_shown.recommendation.has_value());
  if (running) m_ui->cmdCancel->setFocus();
}

void frmConnectionTest::ShowProgress(double fraction) {
  m_ui->prgMeasure->setValue(static_cast<int>(std::lround(fraction * 100)));
  if (!m_run.running()) return;
  const double left = std::max(0.0, (1.0 - fraction) * (m_seconds + ConnectionTestSetup{}.probeSeconds));
  m_ui->lblStatus->setText(tr("Measuring\u2026 about %1 s left.").arg(std::lround(left)));
}

void frmConnectionTest::TestFinished() {
  const ConnectionTestOutcome& outcome = m_run.outcome();
  if (outcome.failure == TestFailure::None) {
    StoreAnswer(m_services.registry, outcome.answer);
    ShowAnswer(outcome);
  } else {
    // The figures of the last good test stay; the reason says why there are no new ones.
    m_ui->lblStatus->setText(outcome.message);
  }
  ShowRunning(false);
  if (outcome.failure != TestFailure::None) m_ui->txtTarget->setFocus();
}

void frmConnectionTest::ShowAnswer(const ConnectionTestOutcome& answer) {
  if (!answer.figures) return;
  m_shown = answer;
  const ConnectionFigures& figures = *answer.figures;
  m_ui->lblStatus->setText(MeasuredText(figures));
  m_ui->lblThroughput->setText(ThroughputText(figures));
  m_ui->lblRoundTrip->setText(RoundTripText(figures));
  m_ui->lblPathMtu->setText(PathMtuText(figures));
  m_ui->lblTcp->setText(TcpText(figures));
  m_ui->lblRecommendation->setText(
      tr("Recommended: ") + (answer.recommendation ? RecommendationText(*answer.recommendation, figures) : kNone));
  m_ui->cmdApply->setEnabled(answer.recommendation.has_value() && !m_run.running());
}

// The same tuning run as the wizard's Optimize: a backup first, then this computer is offered
// the values. The wizard's and the advanced mode's own choice stays as it was.
void frmConnectionTest::cmdApply_Click() {
  if (!m_shown.recommendation) return;
  const ConnectionRecommendation& r = *m_shown.recommendation;
  const std::string question =
      tr("Apply the recommendation (RWIN %1, MTU %2, MSS %3)? The values it replaces are backed up first.")
          .arg(r.RWIN)
          .arg(r.MTU)
          .arg(r.MSS)
          .toStdString();
  if (m_services.messageBox.Show(question, "Zentrofast", MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
    return;
  const TcpSettings chosen = m_services.tuning.current;
  m_services.tuning.current = RecommendedRecord(r);
  const std::optional<ApplyResult> run =
      RunApplySettings(m_services, m_mainWindow, tr("The connection test's recommendation was applied."));
  m_services.tuning.current = chosen;
  if (run) FinishTuningRun(m_mainWindow, m_followUp, *run);
}

}  // namespace zf
