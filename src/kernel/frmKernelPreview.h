// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plan in front of the user after a tuning run or a restore: what changes on this computer,
// what stays in the store only, the warnings. Accepted: "Apply to this computer"; rejected:
// "Not now" or the window closed. With a connection-test target it offers to measure the
// connection before and after.
#include <QDialog>

#include "kernel/KernelPreview.h"

class QCheckBox;
class QLabel;
class QPushButton;
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
  QTreeWidget* lstChanges() const { return m_lstChanges; }
  QCheckBox* chkIpv6Loss() const { return m_chkIpv6Loss; }
  QPushButton* cmdApply() const { return m_cmdApply; }
  QPushButton* cmdNotNow() const { return m_cmdNotNow; }

 private:
  void AddChanges(QVBoxLayout* layout);
  void AddList(QVBoxLayout* layout, const QString& caption, const QStringList& items);

  KernelPreviewModel m_model;
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

 private:
  QLabel* m_lblCountdown;
  QLabel* m_lblComparison;
  QPushButton* m_cmdKeep;
  QPushButton* m_cmdRevert;
};

}  // namespace zf
