// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The column of command buttons beneath the movie: the menu that is left when the movie cannot play.
// A title bar above it moves the window, and two buttons below minimise and close it, since
// the movie's own window commands are gone with it.
#include <QWidget>

class QLabel;
class QPushButton;

namespace zf {

enum class ButtonGroup { Zentrofast, SystemSettings, RamBooster, NetPinger, MainSettings, HomePage, About, Help };

class FallbackButtons : public QWidget {
  Q_OBJECT

 public:
  explicit FallbackButtons(QWidget* parent = nullptr);

  // The button of group at Index (0 for the single buttons); null when there is none.
  QPushButton* Button(ButtonGroup group, int Index) const;

  QLabel* TitleBar() const { return m_title; }
  QPushButton* MinimizeButton() const { return m_minimize; }
  QPushButton* CloseButton() const { return m_close; }

 signals:
  void Clicked(zf::ButtonGroup group, int Index);
  void DragRequested();
  void MinimizeRequested();
  void CloseRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AddGroup(ButtonGroup group, const char* objectName, const QStringList& captions);
  void AddWindowCommands();

  QLabel* m_title = nullptr;
  QPushButton* m_minimize = nullptr;
  QPushButton* m_close = nullptr;
};

}  // namespace zf
