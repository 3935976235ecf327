// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MoviePlayer.h"

#include <QMetaMethod>
#include <QMouseEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QUrl>
#include <cstdio>
#include <utility>

#include "shell/MenuScene.h"

namespace zf {
namespace {

constexpr auto kRootPrefix = QLatin1String("_root.");

}  // namespace

MoviePlayer::MoviePlayer(QQmlEngine* engine, QWidget* parent) : QQuickWidget(engine, parent) {
  setResizeMode(QQuickWidget::SizeRootObjectToView);
  setAccessibleName(tr("Menu"));
  setClearColor(QColor(0x0f, 0x1b, 0x2d));
  if (this->engine()->imageProvider(MenuImageProvider::kId) == nullptr)
    this->engine()->addImageProvider(MenuImageProvider::kId, new MenuImageProvider);
  connect(this, &QQuickWidget::statusChanged, this, &MoviePlayer::StatusChanged);
}

void MoviePlayer::LoadMovie(int layer, const QString& path) {
  if (layer != 0) return;
  setSource(SceneUrl(path));
}

QString MoviePlayer::RootProperty(const QString& name) {
  if (!name.startsWith(kRootPrefix) || name.size() == kRootPrefix.size()) return {};
  return name.mid(kRootPrefix.size());
}

void MoviePlayer::SetVariable(const QString& name, const QString& value) {
  const QString property = RootProperty(name);
  if (property.isEmpty()) return;
  if (status() != QQuickWidget::Ready || rootObject() == nullptr) {
    m_pending.append({property, value});
    return;
  }
  rootObject()->setProperty(property.toUtf8().constData(), value);
}

void MoviePlayer::StatusChanged(QQuickWidget::Status status) {
  if (status == QQuickWidget::Error) {
    for (const QQmlError& error : errors()) std::fprintf(stderr, "%s\n", qPrintable(error.toString()));
    hide();
    emit MovieFailed();
    return;
  }
  if (status != QQuickWidget::Ready) return;
  ConnectScene();
  const auto pending = std::exchange(m_pending, {});
  for (const auto& [property, value] : pending) rootObject()->setProperty(property.toUtf8().constData(), value);
}

void MoviePlayer::ConnectScene() {
  QObject* root = rootObject();
  if (root == nullptr) return;
  const QMetaObject* scene = root->metaObject();
  const int signalIndex = scene->indexOfSignal("fsCommand(QString,QString)");
  if (signalIndex < 0) return;
  const int slotIndex = metaObject()->indexOfSlot("ForwardCommand(QString,QString)");
  // The scene's signal exists only at run time, so it is connected through its meta-method.
  connect(root, scene->method(signalIndex), this, metaObject()->method(slotIndex), Qt::UniqueConnection);
}

void MoviePlayer::ForwardCommand(const QString& command, const QString& args) { emit FSCommand(command, args); }

bool MovieRightClickFilter::eventFilter(QObject* watched, QEvent* event) {
  const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
  if (press && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) return true;
  return QObject::eventFilter(watched, event);
}

}  // namespace zf
