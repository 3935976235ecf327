#pragma once
// The column of command buttons beneath the movie: the menu that is left when the movie cannot play.
#include <QWidget>

class QPushButton;

namespace zf {

enum class ButtonGroup { Zentrofast, SystemSettings, RamBooster, NetPinger, MainSettings, HomePage, About, Help };

class FallbackButtons : public QWidget {
  Q_OBJECT

 public:
  explicit FallbackButtons(QWidget* parent = nullptr);

  // The button of group at Index (0 for the single buttons); null when there is none.
  QPushButton* Button(ButtonGroup group, int Index) const;

 signals:
  void Clicked(zf::ButtonGroup group, int Index);

 private:
  void AddGroup(ButtonGroup group, const char* objectName, const QStringList& captions);
};

}  // namespace zf
