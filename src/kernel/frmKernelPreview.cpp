// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/frmKernelPreview.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace zf {
namespace {

QLabel* WrappedLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLabel* Caption(const QString& text, QWidget* parent) {
  QLabel* label = WrappedLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

}  // namespace

frmKernelPreview::frmKernelPreview(KernelPreviewModel model, QWidget* parent, const QString& measureTarget)
    : QDialog(parent), m_model(std::move(model)) {
  setWindowTitle(QStringLiteral("Zentrofast"));
  setObjectName(QStringLiteral("frmKernelPreview"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Caption(tr("Apply these settings to this computer?"), this));
  AddChanges(layout);
  AddList(layout, tr("Not applied to this computer (kept in Zentrofast's settings only):"), m_model.registryOnly);
  AddList(layout, tr("Please note:"), m_model.warnings);
  if (m_model.needsIpv6Acceptance) {
    m_chkIpv6Loss = new QCheckBox(tr("I accept the loss of IPv6 addresses described above"), this);
    m_chkIpv6Loss->setObjectName(QStringLiteral("chkIpv6Loss"));
    layout->addWidget(m_chkIpv6Loss);
  }
  if (!measureTarget.isEmpty()) {
    m_chkMeasure =
        new QCheckBox(tr("Measure before and after (the connection test's target %1)").arg(measureTarget), this);
    m_chkMeasure->setObjectName(QStringLiteral("chkMeasure"));
    m_chkMeasure->setChecked(true);
    layout->addWidget(m_chkMeasure);
  }
  auto* buttons = new QDialogButtonBox(this);
  m_cmdApply = buttons->addButton(tr("Apply to this computer"), QDialogButtonBox::AcceptRole);
  m_cmdNotNow = buttons->addButton(tr("Not now"), QDialogButtonBox::RejectRole);
  m_cmdApply->setObjectName(QStringLiteral("cmdApply"));
  m_cmdNotNow->setObjectName(QStringLiteral("cmdNotNow"));
  m_cmdNotNow->setDefault(true);
  m_cmdApply->setEnabled(m_model.ApplyAllowed(false));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  if (m_chkIpv6Loss != nullptr)
    connect(m_chkIpv6Loss, &QCheckBox::toggled, this,
            [this](bool accepted) { m_cmdApply->setEnabled(m_model.ApplyAllowed(accepted)); });
  constexpr int kWidth = 760;
  resize(kWidth, std::max(minimumSizeHint().height(), layout->totalHeightForWidth(kWidth)));
}

bool frmKernelPreview::ipv6LossAccepted() const { return m_chkIpv6Loss != nullptr && m_chkIpv6Loss->isChecked(); }

bool frmKernelPreview::measureBeforeAndAfter() const { return m_chkMeasure != nullptr && m_chkMeasure->isChecked(); }

void frmKernelPreview::AddChanges(QVBoxLayout* layout) {
  m_lstChanges = new QTreeWidget(this);
  m_lstChanges->setObjectName(QStringLiteral("lstChanges"));
  m_lstChanges->setRootIsDecorated(false);
  m_lstChanges->setSelectionMode(QAbstractItemView::NoSelection);
  m_lstChanges->setHeaderLabels({tr("Setting"), tr("Now"), tr("After"), tr("Note")});
  for (const PreviewRow& row : m_model.rows) {
    auto* item = new QTreeWidgetItem(m_lstChanges, {row.setting, row.now, row.after, row.note});
    if (!row.changes)
      for (int column = 0; column < 4; ++column)
        item->setForeground(column, palette().brush(QPalette::PlaceholderText));
  }
  m_lstChanges->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_lstChanges->header()->setStretchLastSection(true);
  // As tall as its rows, up to a size that leaves the warnings in view.
  const int rows = static_cast<int>(m_model.rows.size()) + 1;
  const int height = m_lstChanges->header()->sizeHint().height() + rows * m_lstChanges->sizeHintForRow(0) +
                     2 * m_lstChanges->frameWidth() + 4;
  m_lstChanges->setMinimumHeight(std::min(height, 320));
  layout->addWidget(m_lstChanges, 1);
}

void frmKernelPreview::AddList(QVBoxLayout* layout, const QString& caption, const QStringList& items) {
  if (items.isEmpty()) return;
  layout->addWidget(Caption(caption, this));
  for (const QString& item : items) layout->addWidget(WrappedLabel(QStringLiteral("\u2022 ") + item, this));
}

frmKernelCountdown::frmKernelCountdown(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Zentrofast"));
  setObjectName(QStringLiteral("frmKernelCountdown"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Caption(tr("Keep these network settings?"), this));
  layout->addWidget(WrappedLabel(tr("The new settings are in effect now. If the connection no longer "
                                    "works, do nothing: they go back by themselves."),
                                 this));
  m_lblCountdown = WrappedLabel({}, this);
  m_lblCountdown->setObjectName(QStringLiteral("lblCountdown"));
  layout->addWidget(m_lblCountdown);
  m_lblComparison = WrappedLabel({}, this);
  m_lblComparison->setObjectName(QStringLiteral("lblComparison"));
  m_lblComparison->hide();
  layout->addWidget(m_lblComparison);
  auto* buttons = new QDialogButtonBox(this);
  m_cmdKeep = buttons->addButton(tr("Keep"), QDialogButtonBox::AcceptRole);
  m_cmdRevert = buttons->addButton(tr("Revert"), QDialogButtonBox::RejectRole);
  m_cmdKeep->setObjectName(QStringLiteral("cmdKeep"));
  m_cmdRevert->setObjectName(QStringLiteral("cmdRevert"));
  // Enter must not keep by accident: keeping is a decision.
  m_cmdRevert->setDefault(true);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  setMinimumWidth(380);
}

void frmKernelCountdown::SetSecondsLeft(int seconds) {
  m_lblCountdown->setText(seconds == 1 ? tr("Going back in 1 second.") : tr("Going back in %1 seconds.").arg(seconds));
}

void frmKernelCountdown::ShowMeasuring(const QString& target) {
  m_lblComparison->setText(tr("Measuring the connection to %1 with the new settings...").arg(target));
  m_lblComparison->show();
}

// Keeping a change that measured not slower is the expected answer; one that made the
// connection slower goes back on Enter.
void frmKernelCountdown::ShowComparison(const QString& sentence, bool slower) {
  m_lblComparison->setText(sentence + QLatin1Char('.'));
  m_lblComparison->show();
  (slower ? m_cmdRevert : m_cmdKeep)->setDefault(true);
  (slower ? m_cmdKeep : m_cmdRevert)->setDefault(false);
  (slower ? m_cmdRevert : m_cmdKeep)->setFocus();
  adjustSize();
}

QString frmKernelCountdown::countdownText() const { return m_lblCountdown->text(); }

QString frmKernelCountdown::comparisonText() const {
  return m_lblComparison->isHidden() ? QString() : m_lblComparison->text();
}

}  // namespace zf
