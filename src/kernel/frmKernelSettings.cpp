// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/frmKernelSettings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "kernel/KernelSettingsLogic.h"

namespace zf {
namespace {

enum Column { kMark, kSetting, kLive, kTuned, kOriginal, kKept, kColumns };

// The frame is narrow: the common prefix goes, the full name stays in the tool tip.
QString ShortName(const QString& setting) {
  static const QString kPrefix = QStringLiteral("net.ipv4.");
  return setting.startsWith(kPrefix) ? setting.mid(kPrefix.size()) : setting;
}

QString Summary(const std::vector<LiveSettingRow>& rows, const QStringList& problems) {
  const auto differing = std::count_if(rows.begin(), rows.end(), [](const LiveSettingRow& row) { return row.differs; });
  QString text =
      rows.empty()
          ? QCoreApplication::translate("zf::frmKernelSettings",
                                        "Zentrofast neither tunes nor manages any setting of this computer yet.")
      : differing == 0 ? QCoreApplication::translate("zf::frmKernelSettings", "This computer holds the tuned values.")
                       : QCoreApplication::translate("zf::frmKernelSettings",
                                                     "%1 of %2 settings differ from the tuned values (marked \u2260).")
                             .arg(differing)
                             .arg(rows.size());
  for (const QString& problem : problems) text += QStringLiteral("\n") + problem;
  return text;
}

}  // namespace

frmKernelSettings::frmKernelSettings(AppServices& services, IMainWindow& mainWindow, kernel::IKernelBridge& bridge,
                                     ITuningFollowUp& followUp, QWidget* parent)
    : ChildScreen(services, mainWindow, parent), m_bridge(bridge), m_followUp(followUp) {
  setObjectName(QStringLiteral("frmKernelSettings"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  m_lblSummary = new QLabel(this);
  m_lblSummary->setWordWrap(true);
  m_lblSummary->setTextFormat(Qt::PlainText);
  m_lstSettings = new QTreeWidget(this);
  m_lstSettings->setObjectName(QStringLiteral("lstSettings"));
  m_lstSettings->setAccessibleName(tr("Network settings of this computer"));
  m_lstSettings->setRootIsDecorated(false);
  m_lstSettings->setHeaderLabels({QString(), tr("Setting"), tr("Live"), tr("Tuned"), tr("Original"), tr("Kept")});
  m_lstSettings->header()->setSectionResizeMode(QHeaderView::Interactive);
  m_lstSettings->header()->setStretchLastSection(false);
  m_lstSettings->setTextElideMode(Qt::ElideRight);
  m_lstSettings->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_lstSettings->viewport()->installEventFilter(this);
  m_cmdApplyTuned = new QPushButton(tr("Apply tuned values"), this);
  m_cmdRevertAll = new QPushButton(tr("Revert to originals"), this);
  m_cmdRefresh = new QPushButton(tr("Refresh"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_cmdApplyTuned);
  buttons->addWidget(m_cmdRevertAll);
  buttons->addStretch(1);
  buttons->addWidget(m_cmdRefresh);
  layout->addWidget(m_lblSummary);
  layout->addWidget(m_lstSettings, 1);
  layout->addLayout(buttons);
  connect(m_cmdApplyTuned, &QPushButton::clicked, this, &frmKernelSettings::cmdApplyTuned_Click);
  connect(m_cmdRevertAll, &QPushButton::clicked, this, &frmKernelSettings::cmdRevertAll_Click);
  connect(m_cmdRefresh, &QPushButton::clicked, this, &frmKernelSettings::Refresh);
  m_followUp.AddEndedListener(this, [this] {
    if (isVisible()) Refresh();
  });
}

// A revert still running keeps going to its end; its answer is simply not shown.
frmKernelSettings::~frmKernelSettings() {
  m_followUp.RemoveEndedListeners(this);
  if (m_revert != nullptr) {
    m_revert->disconnect(this);
    m_revert->wait();
  }
}

void frmKernelSettings::Form_Load() { SkinScreen(); }

void frmKernelSettings::showEvent(QShowEvent* event) {
  ChildScreen::showEvent(event);
  Refresh();
}

void frmKernelSettings::Refresh() {
  const Result<kernel::KernelPlan> plan = m_bridge.Plan();
  const Result<kernel::KernelStatus> status = m_bridge.Status();
  QStringList problems;
  if (!plan) problems << tr("The tuned values could not be read: ") + QString::fromStdString(plan.error().text);
  if (!status)
    problems << tr("The record of earlier changes could not be read: ") + QString::fromStdString(status.error().text);
  const std::vector<LiveSettingRow> rows =
      BuildLiveRows(status ? &status.value() : nullptr, plan ? &plan.value() : nullptr);
  m_lstSettings->clear();
  for (const LiveSettingRow& row : rows) {
    auto* item =
        new QTreeWidgetItem(m_lstSettings, {row.differs ? QStringLiteral("\u2260") : QString(), ShortName(row.setting),
                                            row.live, row.tuned, row.original, row.kept});
    item->setToolTip(kSetting, row.setting);
    // A value the column is too narrow for is elided: the tool tip holds it whole.
    for (int column = kLive; column < kColumns; ++column) item->setToolTip(column, item->text(column));
    if (!row.differs) continue;
    QFont font = m_lstSettings->font();  // the skin's, not the application's
    font.setBold(true);
    item->setFont(kMark, font);
    item->setFont(kLive, font);
    item->setToolTip(kLive, tr("%1 \u2014 differs from the tuned value").arg(row.live));
  }
  m_lblSummary->setText(Summary(rows, problems));
  FitColumns();
}

bool frmKernelSettings::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_lstSettings->viewport() && event->type() == QEvent::Resize) FitColumns();
  return ChildScreen::eventFilter(watched, event);
}

void frmKernelSettings::FitColumns() {
  QHeaderView* header = m_lstSettings->header();
  const int padding = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_lstSettings) + 1);
  std::vector<int> wanted(kColumns, 0);
  std::vector<int> least(kColumns, 0);
  for (int column = 0; column < kColumns; ++column) {
    wanted[column] = least[column] = header->sectionSizeHint(column);  // each column stays named
    for (int row = 0; row < m_lstSettings->topLevelItemCount(); ++row) {
      const QTreeWidgetItem* item = m_lstSettings->topLevelItem(row);
      QFont font = m_lstSettings->font();
      font.setBold(item->font(column).bold());
      wanted[column] = std::max(wanted[column], QFontMetrics(font).horizontalAdvance(item->text(column)) + padding);
    }
  }
  // A setting's name is cut last, yet leaves the values most of the width.
  const int available = m_lstSettings->viewport()->width();
  least[kMark] = wanted[kMark];
  least[kSetting] = std::min(wanted[kSetting], available * 2 / 5);
  const std::vector<int> widths = FitColumnWidths(wanted, least, available);
  for (int column = 0; column < kColumns; ++column) header->resizeSection(column, widths[column]);
}

void frmKernelSettings::cmdApplyTuned_Click() { m_followUp.AfterStoreWritten({}); }

void frmKernelSettings::cmdRevertAll_Click() {
  if (m_services.messageBox.Show(
          tr("Put every network setting Zentrofast changed on this computer back to its original "
             "value? Zentrofast's own tuned values stay as they are.")
              .toStdString(),
          "Zentrofast", MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
    return;
  SetBusy(true);
  // The helper may first ask for the administrator's password: the window stays responsive meanwhile.
  m_revert = QThread::create([this] {
    const Result<std::string> reverted = m_bridge.Revert();
    m_revertOk = reverted.has_value();
    m_revertAnswer = reverted ? reverted.value() : reverted.error().text;
  });
  connect(m_revert, &QThread::finished, this, &frmKernelSettings::RevertFinished);
  m_revert->start();
}

void frmKernelSettings::RevertFinished() {
  m_revert->deleteLater();
  m_revert = nullptr;
  SetBusy(false);
  Refresh();
  const std::string lead = (m_revertOk ? tr("The network settings of this computer are back to their originals. ")
                                       : tr("The network settings could not be put back: "))
                               .toStdString();
  m_services.messageBox.Show(lead + m_revertAnswer, "Zentrofast",
                             m_revertOk ? MsgIcon::Information : MsgIcon::Exclamation, MsgButtons::Ok);
}

void frmKernelSettings::SetBusy(bool busy) {
  m_cmdApplyTuned->setEnabled(!busy);
  m_cmdRevertAll->setEnabled(!busy);
}

}  // namespace zf
