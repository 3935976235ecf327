// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Accessibility.h"

#include <QAccessibleWidget>
#include <QGroupBox>

#include "msgbox/CloseImage.h"

namespace zf {
namespace {

class AccessibleGroupBox : public QAccessibleWidget {
 public:
  explicit AccessibleGroupBox(QGroupBox* box) : QAccessibleWidget(box, QAccessible::Grouping) {}

  QString text(QAccessible::Text kind) const override {
    const auto* box = static_cast<const QGroupBox*>(widget());
    if (kind == QAccessible::Name && box->accessibleName().isEmpty()) return QString(box->title()).remove(u'&');
    return QAccessibleWidget::text(kind);
  }
};

// A picture that closes its balloon on a click: a screen reader offers it as a button to press.
class AccessibleCloseImage : public QAccessibleWidget {
 public:
  explicit AccessibleCloseImage(CloseImage* image) : QAccessibleWidget(image, QAccessible::Button) {}

  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction()) emit static_cast<CloseImage*>(widget())->clicked();
  }
};

// The timed balloon shows without taking the keyboard: as a notification a screen reader reads
// it when it appears. The modal kinds stay dialogs.
class AccessibleBalloon : public QAccessibleWidget {
 public:
  explicit AccessibleBalloon(QWidget* balloon) : QAccessibleWidget(balloon, QAccessible::Dialog) {}

  QAccessible::Role role() const override {
    return widget()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus) ? QAccessible::Notification
                                                                          : QAccessible::Dialog;
  }
};

QAccessibleInterface* WidgetInterface(const QString& className, QObject* object) {
  if (className == QLatin1String("QGroupBox")) {
    auto* box = qobject_cast<QGroupBox*>(object);
    // A box the user ticks keeps Qt's own description, which carries the tick.
    if (box != nullptr && !box->isCheckable()) return new AccessibleGroupBox(box);
  } else if (className == QLatin1String("zf::Histogram")) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Chart);
  } else if (className == QLatin1String("zf::msgFrm")) {
    return new AccessibleBalloon(static_cast<QWidget*>(object));
  } else if (className == QLatin1String("zf::CloseImage")) {
    return new AccessibleCloseImage(static_cast<CloseImage*>(object));
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleWidgets() { QAccessible::installFactory(WidgetInterface); }

}  // namespace zf
