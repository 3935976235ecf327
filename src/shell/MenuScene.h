// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu scene built into the program, compiled ahead of time, and when to play it instead
// of the program folder's scene file.
#include <QQuickImageProvider>
#include <QString>
#include <QUrl>
#include <memory>

class QQmlComponent;
class QQmlEngine;

namespace zf {

// The scene file in the program folder.
inline constexpr char kMenuSceneFile[] = "speed up.swf";

// The compiled scene, built from the "speed up.swf" shipped with this program.
inline constexpr auto kBuiltInSceneUrl = QLatin1String("qrc:/qt/qml/Zentrofast/Menu/MenuScene.qml");

// True when the file is a regular file holding exactly the built-in scene's text.
bool HoldsBuiltInScene(const QString& sceneFile);
// What to play for a scene file: the compiled scene for the shipped file, the file itself for
// any other (a replaced scene keeps working, a missing one fails as it always did).
QUrl SceneUrl(const QString& sceneFile);

// Starts reading the scene of a scene file on Qt's loader thread and returns at once. A player
// on the same engine then finds the scene read, or waits only for the rest; keep the result
// until it has loaded the scene.
std::unique_ptr<QQmlComponent> ReadSceneAhead(QQmlEngine& engine, const QString& sceneFile);

// Reads the system's fonts and loads the default font, plain and bold, into this thread's font
// cache. Done while the loader thread reads the scene ahead, this leaves the scene's text less
// to wait for.
void LoadMenuFonts();

// The built-in scene's pictures, as "image://menu/NAME". Each is decoded in the format its name
// gives: left to guess from the bytes, Qt would load every image plugin of the system first.
class MenuImageProvider final : public QQuickImageProvider {
 public:
  static constexpr auto kId = QLatin1String("menu");
  MenuImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}
  QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

}  // namespace zf
