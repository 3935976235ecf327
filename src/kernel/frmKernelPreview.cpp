// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/frmKernelPreview.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/DialogFit.h"

namespace zf {
namespace {

// Wide enough for a change's sentence on one line at the screens' text size.
constexpr int kPreviewWidth = 600;
constexpr int kCountdownWidth = 420;
// The change list never shrinks below this many lines, however small the screen.
constexpr int kLeastListLines = 3;

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
  label->setProperty("heading", true);  // the skin's bold, where the skin sets the weight
  return label;
}

// The height a dialog of this width wants when nothing of it scrolls.
int HeightForWidth(QWidget* dialog, int width) {
  dialog->layout()->activate();
  return std::max(dialog->minimumSizeHint().height(), dialog->layout()->totalHeightForWidth(width));
}

// Bigger than before, up to the screen, and moved only as far as it must to stay on it.
void Regrow(QWidget* dialog, QSize wanted) {
  if (!dialog->isVisible()) {
    FitDialogOnScreen(dialog, wanted);
    return;
  }
  const QRect before = dialog->geometry();
  FitDialogOnScreen(dialog, wanted.expandedTo(before.size()));
  dialog->move(CentredPosition(dialog->size(), QRect(dialog->pos(), before.size()), DialogArea(dialog)));
}

}  // namespace

frmKernelPreview::frmKernelPreview(KernelPreviewModel model, QWidget* parent, const QString& measureTarget)
    : QDialog(parent), m_model(std::move(model)) {
  setWindowTitle(QStringLiteral("Zentrofast"));
  setObjectName(QStringLiteral("frmKernelPreview"));
  setAccessibleName(tr("Apply these settings to this computer?"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Caption(tr("Apply these settings to this computer?"), this));
  m_scrChanges = new QScrollArea(this);
  m_scrChanges->setObjectName(QStringLiteral("scrChanges"));
  m_scrChanges->setAccessibleName(tr("What changes"));
  m_scrChanges->setFrameShape(QFrame::NoFrame);
  m_scrChanges->setWidgetResizable(true);
  m_scrChanges->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_scrChanges->setWidget(MakeBody());
  // The skin's ground shows through, as on the screens.
  m_scrChanges->viewport()->setAutoFillBackground(false);
  m_scrChanges->widget()->setAutoFillBackground(false);
  layout->addWidget(m_scrChanges, 1);
  if (m_model.needsIpv6Acceptance) {
    m_chkIpv6Loss = new QCheckBox(tr("I accept the loss of IPv6 addresses described above"), this);
    m_chkIpv6Loss->setObjectName(QStringLiteral("chkIpv6Loss"));
    m_chkIpv6Loss->setAccessibleName(m_chkIpv6Loss->text());
    layout->addWidget(m_chkIpv6Loss);
  }
  if (!measureTarget.isEmpty()) {
    m_chkMeasure =
        new QCheckBox(tr("Measure before and after (the connection test's target %1)").arg(measureTarget), this);
    m_chkMeasure->setObjectName(QStringLiteral("chkMeasure"));
    m_chkMeasure->setAccessibleName(m_chkMeasure->text());
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
  connect(m_cmdDetails, &QToolButton::toggled, this, &frmKernelPreview::ShowDetails);
  SkinLikeTheScreens(this);
  FitToScreen();
}

bool frmKernelPreview::ipv6LossAccepted() const { return m_chkIpv6Loss != nullptr && m_chkIpv6Loss->isChecked(); }

bool frmKernelPreview::measureBeforeAndAfter() const { return m_chkMeasure != nullptr && m_chkMeasure->isChecked(); }

QStringList frmKernelPreview::changeSentences() const {
  QStringList sentences;
  for (const QLabel* label : m_lblSentences) sentences << label->text().mid(2);  // without the bullet
  return sentences;
}

void frmKernelPreview::setVisible(bool visible) {
  if (visible && !isVisible()) CentreOnParent(this);
  QDialog::setVisible(visible);
}

QWidget* frmKernelPreview::MakeBody() {
  auto* body = new QWidget;
  body->setObjectName(QStringLiteral("fraChanges"));
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(0, 0, 0, 0);
  QStringList sentences;
  for (const PreviewRow& row : m_model.rows)
    if (row.changes) sentences << row.words;
  AddList(layout, tr("These network settings of this computer change:"), sentences, body, &m_lblSentences);
  AddList(layout, tr("Please note:"), m_model.warnings, body);
  AddList(layout, tr("Not applied to this computer (kept in Zentrofast's settings only):"), m_model.registryOnly, body);
  m_cmdDetails = new QToolButton(body);
  m_cmdDetails->setObjectName(QStringLiteral("cmdDetails"));
  m_cmdDetails->setText(tr("Details"));
  m_cmdDetails->setAccessibleName(tr("Show the technical details"));
  m_cmdDetails->setCheckable(true);
  m_cmdDetails->setAutoRaise(true);
  m_cmdDetails->setArrowType(Qt::RightArrow);
  m_cmdDetails->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  layout->addWidget(m_cmdDetails, 0, Qt::AlignLeft);
  m_fraDetails = MakeDetails(body);
  m_fraDetails->hide();
  layout->addWidget(m_fraDetails);
  layout->addStretch(1);
  return body;
}

QWidget* frmKernelPreview::MakeDetails(QWidget* parent) {
  auto* details = new QWidget(parent);
  details->setObjectName(QStringLiteral("fraDetails"));
  auto* layout = new QVBoxLayout(details);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(WrappedLabel(tr("The Linux settings (sysctl names), their values now and after:"), details));
  AddTable(layout, details);
  AddList(layout, tr("In the plan's own terms:"), m_model.detailWarnings, details);
  return details;
}

void frmKernelPreview::AddTable(QVBoxLayout* layout, QWidget* parent) {
  m_lstChanges = new QTreeWidget(parent);
  m_lstChanges->setObjectName(QStringLiteral("lstChanges"));
  m_lstChanges->setAccessibleName(tr("The Linux settings, now and after"));
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
  // As tall as its rows: the dialog's list scrolls, not the table inside it.
  m_lstChanges->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int rows = static_cast<int>(m_model.rows.size());
  m_lstChanges->setFixedHeight(m_lstChanges->header()->sizeHint().height() + rows * m_lstChanges->sizeHintForRow(0) +
                               2 * m_lstChanges->frameWidth() +
                               m_lstChanges->horizontalScrollBar()->sizeHint().height());
  layout->addWidget(m_lstChanges);
}

void frmKernelPreview::AddList(QVBoxLayout* layout, const QString& caption, const QStringList& items, QWidget* parent,
                               QList<QLabel*>* made) {
  if (items.isEmpty()) return;
  layout->addWidget(Caption(caption, parent));
  for (const QString& item : items) {
    QLabel* label = WrappedLabel(QStringLiteral("\u2022 ") + item, parent);
    layout->addWidget(label);
    if (made != nullptr) made->append(label);
  }
}

void frmKernelPreview::ShowDetails(bool shown) {
  m_cmdDetails->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
  m_fraDetails->setVisible(shown);
  if (!shown) return;
  FitToScreen();
  m_scrChanges->widget()->layout()->activate();
  m_scrChanges->ensureWidgetVisible(m_fraDetails, 0, 0);
}

// As tall as the whole list wants, up to the screen: the list scrolls, the question, the
// consent and the buttons always show.
void frmKernelPreview::FitToScreen() {
  ensurePolished();  // measured in the skin's fonts
  const int width = std::min(kPreviewWidth, FitDialogSize({kPreviewWidth, 1}, DialogArea(this)).width());
  QWidget* body = m_scrChanges->widget();
  const int bodyWidth = width - layout()->contentsMargins().left() - layout()->contentsMargins().right() -
                        m_scrChanges->verticalScrollBar()->sizeHint().width();
  body->layout()->activate();
  const int bodyHeight = body->layout()->totalHeightForWidth(bodyWidth);
  m_scrChanges->setFixedHeight(bodyHeight);
  const int wanted = HeightForWidth(this, width);
  m_scrChanges->setMinimumHeight(std::min(bodyHeight, kLeastListLines * fontMetrics().lineSpacing()));
  m_scrChanges->setMaximumHeight(QWIDGETSIZE_MAX);
  layout()->activate();  // the dialog's least height follows the list's again before it is sized
  Regrow(this, {width, wanted});
}

frmKernelCountdown::frmKernelCountdown(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Zentrofast"));
  setObjectName(QStringLiteral("frmKernelCountdown"));
  setAccessibleName(tr("Keep these network settings?"));
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
  SkinLikeTheScreens(this);
  SetSecondsLeft(0);  // the line's height counts from the start
  FitToScreen();
}

void frmKernelCountdown::setVisible(bool visible) {
  if (visible && !isVisible()) CentreOnParent(this);
  QDialog::setVisible(visible);
}

void frmKernelCountdown::FitToScreen() {
  ensurePolished();  // measured in the skin's fonts
  const int width = std::min(kCountdownWidth, FitDialogSize({kCountdownWidth, 1}, DialogArea(this)).width());
  Regrow(this, {width, HeightForWidth(this, width)});
}

void frmKernelCountdown::SetSecondsLeft(int seconds) {
  m_lblCountdown->setText(seconds == 1 ? tr("Going back in 1 second.") : tr("Going back in %1 seconds.").arg(seconds));
}

void frmKernelCountdown::ShowMeasuring(const QString& target) {
  m_lblComparison->setText(tr("Measuring the connection to %1 with the new settings...").arg(target));
  m_lblComparison->show();
  FitToScreen();
}

// Keeping a change that measured not slower is the expected answer; one that made the
// connection slower goes back on Enter.
void frmKernelCountdown::ShowComparison(const QString& sentence, bool slower) {
  m_lblComparison->setText(sentence + QLatin1Char('.'));
  m_lblComparison->show();
  (slower ? m_cmdRevert : m_cmdKeep)->setDefault(true);
  (slower ? m_cmdKeep : m_cmdRevert)->setDefault(false);
  (slower ? m_cmdRevert : m_cmdKeep)->setFocus();
  FitToScreen();
}

QString frmKernelCountdown::countdownText() const { return m_lblCountdown->text(); }

QString frmKernelCountdown::comparisonText() const {
  return m_lblComparison->isHidden() ? QString() : m_lblComparison->text();
}

}  // namespace zf
