// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu movie's player: a Qt Quick scene that talks to the program through commands it
// sends and root properties the program sets.
#include <QList>
#include <QPair>
#include <QQuickWidget>
#include <QString>

class QQmlEngine;

namespace zf {

class MoviePlayer : public QQuickWidget {
  Q_OBJECT

 public:
  // engine: the scene's engine, null for one of the player's own.
  explicit MoviePlayer(QQmlEngine* engine = nullptr, QWidget* parent = nullptr);

  // Plays the scene at path, in its compiled form when it is the program's own scene. There is
  // one layer, 0; other layers are ignored.
  void LoadMovie(int layer, const QString& path);
  // "_root.X" sets the scene root's property X. Values set before the scene is ready are
  // handed over once it is.
  void SetVariable(const QString& name, const QString& value);
  // The root property a variable stands for; empty when the name is not "_root.X".
  static QString RootProperty(const QString& name);

 signals:
  void FSCommand(const QString& command, const QString& args);
  // The scene could not be played; the player has hidden itself.
  void MovieFailed();

 private slots:
  // Connected by name to the scene root's fsCommand(command, args) signal.
  void ForwardCommand(const QString& command, const QString& args);

 private:
  void StatusChanged(QQuickWidget::Status status);
  void ConnectScene();

  QList<QPair<QString, QString>> m_pending;
};

// Swallows right-button presses so the movie never opens a context menu of its own.
class MovieRightClickFilter : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace zf
