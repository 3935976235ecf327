// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Accessibility.h"

#include <QAccessibleWidget>
#include <QGroupBox>

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

QAccessibleInterface* GroupBoxInterface(const QString& className, QObject* object) {
  auto* box = qobject_cast<QGroupBox*>(object);
  // A box the user ticks keeps Qt's own description, which carries the tick.
  if (className != QLatin1String("QGroupBox") || box == nullptr || box->isCheckable()) return nullptr;
  return new AccessibleGroupBox(box);
}

}  // namespace

void InstallAccessibleGroupBoxes() { QAccessible::installFactory(GroupBoxInterface); }

}  // namespace zf
