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
  AddGroup(ButtonGroup::Zentrofast, "cmdZentrofast", {"Zentrofast", "Wizard Mode", "Advanced Mode", "Backup"});
  AddGroup(ButtonGroup::SystemSettings, "cmdSystemSettings",
           {"System Settings", "Internet Properties", "System Properties", "Modems Settings", "Network Settings",
            "This Computer"});
  AddGroup(ButtonGroup::RamBooster, "cmdRamBooster", {"Ram Booster", "System Status", "Ram Configuration"});
  AddGroup(ButtonGroup::NetPinger, "cmdNetPinger", {"Net Pinger", "Ping Settings", "Connection Test"});
  AddGroup(ButtonGroup::MainSettings, "cmdMainSettings", {"Main Settings"});
  AddGroup(ButtonGroup::HomePage, "cmdHomePage", {"Home Page"});
  AddGroup(ButtonGroup::About, "cmdAbout", {"About"});
  AddGroup(ButtonGroup::Help, "cmdHelp", {"Help"});
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
  m_minimize = new QPushButton(QStringLiteral("Minimise"), this);
  m_close = new QPushButton(QStringLiteral("Close"), this);
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
    auto* button = new QPushButton(captions[index], this);
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
