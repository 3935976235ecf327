// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/frmConnectionHistory.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "history/HistoryGraph.h"

namespace zf {
namespace {

QString Milliseconds(const std::optional<std::uint32_t>& value) {
  return value ? QString::number(*value) + QStringLiteral(" ms") : QStringLiteral("–");
}

QString FiguresText(const EchoSummary& total, std::size_t tunings) {
  if (total.echoes == 0)
    return QCoreApplication::translate("zf::frmConnectionHistory",
                                       "No echoes in this time. The pinger records one at every ping.");
  return QCoreApplication::translate(
             "zf::frmConnectionHistory",
             "%1 echoes, %2 lost (%3 %)   round trip: min %4, median %5, 95 %: %6   tuning runs: %7")
      .arg(total.echoes)
      .arg(total.lost)
      .arg(*total.LossPercent(), 0, 'f', 1)
      .arg(Milliseconds(total.minMs), Milliseconds(total.medianMs), Milliseconds(total.p95Ms))
      .arg(tunings);
}

}  // namespace

frmConnectionHistory::frmConnectionHistory(ConnectionHistoryModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model) {
  setWindowTitle(tr("Zentrofast – Connection history"));
  auto* layout = new QVBoxLayout(this);
  auto* choices = new QHBoxLayout;
  m_windows = new QButtonGroup(this);
  const std::pair<const char*, HistoryWindow> windows[] = {{QT_TR_NOOP("Last &hour"), HistoryWindow::Hour},
                                                           {QT_TR_NOOP("Last &day"), HistoryWindow::Day},
                                                           {QT_TR_NOOP("Last &week"), HistoryWindow::Week}};
  for (const auto& [caption, window] : windows) {
    auto* button = new QPushButton(tr(caption), this);
    button->setCheckable(true);
    button->setChecked(window == m_window);
    m_windows->addButton(button, static_cast<int>(window));
    choices->addWidget(button);
  }
  choices->addStretch();
  layout->addLayout(choices);
  m_graph = new HistoryGraph(this);
  m_graph->setMinimumSize(480, 200);
  layout->addWidget(m_graph, 1);
  m_figures = new QLabel(this);
  layout->addWidget(m_figures);

  auto* notice = new QHBoxLayout;
  chkLossNotice = new QCheckBox(tr("&Notify me when the loss over 5 minutes passes"), this);
  txtLossLevel = new QSpinBox(this);
  txtLossLevel->setRange(1, 100);
  txtLossLevel->setAccessibleName(tr("Loss level"));
  txtLossLevel->setSuffix(QStringLiteral(" %"));
  chkLossNotice->setChecked(m_model.LossNotice().enabled);
  txtLossLevel->setValue(m_model.LossNotice().levelPercent);
  notice->addWidget(chkLossNotice);
  notice->addWidget(txtLossLevel);
  notice->addStretch();
  layout->addLayout(notice);

  connect(m_windows, &QButtonGroup::idClicked, this, [this](int id) { ShowWindow(static_cast<HistoryWindow>(id)); });
  connect(chkLossNotice, &QCheckBox::toggled, this, &frmConnectionHistory::SaveNotice);
  connect(txtLossLevel, &QSpinBox::valueChanged, this, &frmConnectionHistory::SaveNotice);
}

void frmConnectionHistory::ShowWindow(HistoryWindow window) {
  m_window = window;
  if (QAbstractButton* button = m_windows->button(static_cast<int>(window))) button->setChecked(true);
  Refresh();
}

void frmConnectionHistory::Refresh() {
  GraphData data = m_model.Graph(m_window);
  m_figures->setText(FiguresText(data.total, data.tunings.size()));
  // The graph is read out as the figures it draws.
  m_graph->setAccessibleName(m_figures->text());
  m_graph->SetData(std::move(data));
}

void frmConnectionHistory::SaveNotice() { m_model.SetLossNotice({chkLossNotice->isChecked(), txtLossLevel->value()}); }

}  // namespace zf
