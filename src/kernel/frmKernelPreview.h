// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plan in front of the user after a tuning run or a restore: what changes on this computer
// in words, the setting names and raw values behind "Details", what stays in the store only, the
// warnings. Accepted: "Apply to this computer"; rejected: "Not now" or the window closed. With a
// connection-test target it offers to measure the connection before and after. Both dialogs wear
// the screens' skin, fit the screen and open centred on the window they belong to.
#include <QDialog>

#include "kernel/KernelPreview.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QToolButton;
class QTreeWidget;
class QVBoxLayout;

namespace zf {

class frmKernelPreview : public QDialog {
  Q_OBJECT

 public:
  frmKernelPreview(KernelPreviewModel model, QWidget* parent = nullptr, const QString& measureTarget = {});

  bool ipv6LossAccepted() const;
  bool measureBeforeAndAfter() const;
  QCheckBox* chkMeasure() const { return m_chkMeasure; }
  // The changes in words, one a line.
  QStringList changeSentences() const;
  QScrollArea* scrChanges() const { return m_scrChanges; }
  QToolButton* cmdDetails() const { return m_cmdDetails; }
  QWidget* fraDetails() const { return m_fraDetails; }
  QTreeWidget* lstChanges() const { return m_lstChanges; }
  QCheckBox* chkIpv6Loss() const { return m_chkIpv6Loss; }
  QPushButton* cmdApply() const { return m_cmdApply; }
  QPushButton* cmdNotNow() const { return m_cmdNotNow; }

  void setVisible(bool visible) override;

 private:
  QWidget* MakeBody();
  QWidget* MakeDetails(QWidget* parent);
  void AddTable(QVBoxLayout* layout, QWidget* parent);
  void AddList(QVBoxLayout* layout, const QString& caption, const QStringList& items, QWidget* parent,
               QList<QLabel*>* made = nullptr);
  void ShowDetails(bool shown);
  void FitToScreen();

  KernelPreviewModel m_model;
  QList<QLabel*> m_lblSentences;
  QScrollArea* m_scrChanges = nullptr;
  QToolButton* m_cmdDetails = nullptr;
  QWidget* m_fraDetails = nullptr;
  QTreeWidget* m_lstChanges = nullptr;
  QCheckBox* m_chkIpv6Loss = nullptr;
  QCheckBox* m_chkMeasure = nullptr;
  QPushButton* m_cmdApply = nullptr;
  QPushButton* m_cmdNotNow = nullptr;
};

// "Keep these network settings?" with the seconds left; accepted only by Keep. Revert, Escape
// and closing the window reject it. Revert is the default button unless a measurement after the
// change found the connection not slower.
class frmKernelCountdown : public QDialog {
  Q_OBJECT

 public:
  explicit frmKernelCountdown(QWidget* parent = nullptr);

  void SetSecondsLeft(int seconds);
  void ShowMeasuring(const QString& target);
  void ShowComparison(const QString& sentence, bool slower);
  QString countdownText() const;
  QString comparisonText() const;
  QPushButton* cmdKeep() const { return m_cmdKeep; }
  QPushButton* cmdRevert() const { return m_cmdRevert; }

  void setVisible(bool visible) override;

 private:
  void FitToScreen();

  QLabel* m_lblCountdown;
  QLabel* m_lblComparison;
  QPushButton* m_cmdKeep;
  QPushButton* m_cmdRevert;
};

}  // namespace zf
