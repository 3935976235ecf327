// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the desktop program's start-up: a Qt Widgets window of the same size
// holding a QQuickWidget with a trivial scene, reporting its first frame the same way.
#include <QApplication>
#include <QQuickWidget>
#include <QUrl>

#include "shell/StartupProbe.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  QWidget window;
  window.setFixedSize(724, 540);
  auto* scene = new QQuickWidget(&window);
  scene->setResizeMode(QQuickWidget::SizeRootObjectToView);
  scene->setGeometry(0, 0, 724, 540);
  scene->setSource(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
  zf::ReportFirstFrame(scene);
  window.show();
  return QApplication::exec();
}
