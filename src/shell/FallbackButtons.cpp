// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FallbackButtons.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace zf {
namespace {

constexpr auto kGroupProperty = "buttonGroup";
constexpr auto kIndexProperty = "buttonIndex";

}  // namespace

FallbackButtons::FallbackButtons(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  AddWindowCommands();
  AddGroup(ButtonGroup::Zentrofast, "cmdZentrofast",
           {"Zentrofast", QT_TR_NOOP("Wizard Mode"), QT_TR_NOOP("Advanced Mode"), QT_TR_NOOP("Backup")});
  AddGroup(ButtonGroup::SystemSettings, "cmdSystemSettings",
           {QT_TR_NOOP("System Settings"), QT_TR_NOOP("Internet Properties"), QT_TR_NOOP("System Properties"),
            QT_TR_NOOP("Modems Settings"), QT_TR_NOOP("Network Settings"), QT_TR_NOOP("This Computer")});
  AddGroup(ButtonGroup::RamBooster, "cmdRamBooster",
           {QT_TR_NOOP("Ram Booster"), QT_TR_NOOP("System Status"), QT_TR_NOOP("Ram Configuration")});
  AddGroup(ButtonGroup::NetPinger, "cmdNetPinger",
           {QT_TR_NOOP("Net Pinger"), QT_TR_NOOP("Ping Settings"), QT_TR_NOOP("Connection Test")});
  AddGroup(ButtonGroup::MainSettings, "cmdMainSettings", {QT_TR_NOOP("Main Settings")});
  AddGroup(ButtonGroup::HomePage, "cmdHomePage", {QT_TR_NOOP("Home Page")});
  AddGroup(ButtonGroup::About, "cmdAbout", {QT_TR_NOOP("About")});
  AddGroup(ButtonGroup::Help, "cmdHelp", {QT_TR_NOOP("Help")});
  layout->addStretch();
}

void FallbackButtons::AddWindowCommands() {
  auto* row = new QHBoxLayout;
  row->setSpacing(4);
  m_title = new QLabel(QStringLiteral("Zentrofast"), this);
  m_title->setObjectName(QStringLiteral("fallbackTitle"));
  m_title->setCursor(Qt::SizeAllCursor);
  m_title->installEventFilter(this);
  row->addWidget(m_title, 1);
  m_minimize = new QPushButton(tr("Minimise"), this);
  m_close = new QPushButton(tr("Close"), this);
  connect(m_minimize, &QPushButton::clicked, this, &FallbackButtons::MinimizeRequested);
  connect(m_close, &QPushButton::clicked, this, &FallbackButtons::CloseRequested);
  row->addWidget(m_minimize);
  row->addWidget(m_close);
  static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

bool FallbackButtons::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_title && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    emit DragRequested();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void FallbackButtons::AddGroup(ButtonGroup group, const char* objectName, const QStringList& captions) {
  auto* column = static_cast<QVBoxLayout*>(layout());
  if (column->count() > 0) column->addSpacing(6);
  for (int index = 0; index < captions.size(); ++index) {
    auto* button = new QPushButton(tr(captions[index].toUtf8().constData()), this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setProperty(kGroupProperty, static_cast<int>(group));
    button->setProperty(kIndexProperty, index);
    // The heading button of a group stands out from its members.
    button->setProperty("groupHeading", index == 0 && captions.size() > 1);
    connect(button, &QPushButton::clicked, this, [this, group, index] { emit Clicked(group, index); });
    column->addWidget(button);
  }
}

QPushButton* FallbackButtons::Button(ButtonGroup group, int Index) const {
  for (QPushButton* button : findChildren<QPushButton*>()) {
    if (button->property(kGroupProperty).isValid() &&
        button->property(kGroupProperty).toInt() == static_cast<int>(group) &&
        button->property(kIndexProperty).toInt() == Index)
      return button;
  }
  return nullptr;
}

}  // namespace zf
