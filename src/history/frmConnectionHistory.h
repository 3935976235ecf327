// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window the pinger screen opens: the connection over the last hour, day or week, its
// figures, and the optional notice of a lossy connection.
#include <QWidget>

#include "history/ConnectionHistoryModel.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QSpinBox;

namespace zf {

class HistoryGraph;

class frmConnectionHistory : public QWidget {
  Q_OBJECT

 public:
  explicit frmConnectionHistory(ConnectionHistoryModel& model, QWidget* parent = nullptr);

  // Reads the history again for the chosen window.
  void Refresh();
  void ShowWindow(HistoryWindow window);
  HistoryGraph& Graph() { return *m_graph; }

 private:
  void SaveNotice();

  ConnectionHistoryModel& m_model;
  HistoryWindow m_window = HistoryWindow::Hour;
  HistoryGraph* m_graph;
  QButtonGroup* m_windows;
  QLabel* m_figures;
  QCheckBox* chkLossNotice;
  QSpinBox* txtLossLevel;
};

}  // namespace zf
