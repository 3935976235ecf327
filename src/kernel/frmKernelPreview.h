// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plan in front of the user after a tuning run or a restore: what changes on this computer,
// what stays in the store only, the warnings. Accepted: "Apply to this computer"; rejected:
// "Not now" or the window closed.
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
  frmKernelPreview(KernelPreviewModel model, QWidget* parent = nullptr);

  bool ipv6LossAccepted() const;
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
  QPushButton* m_cmdApply = nullptr;
  QPushButton* m_cmdNotNow = nullptr;
};

// "Keep these network settings?" with the seconds left; accepted only by Keep. Revert, Escape
// and closing the window reject it.
class frmKernelCountdown : public QDialog {
  Q_OBJECT

 public:
  explicit frmKernelCountdown(QWidget* parent = nullptr);

  void SetSecondsLeft(int seconds);
  QString countdownText() const;
  QPushButton* cmdKeep() const { return m_cmdKeep; }
  QPushButton* cmdRevert() const { return m_cmdRevert; }

 private:
  QLabel* m_lblCountdown;
  QPushButton* m_cmdKeep;
  QPushButton* m_cmdRevert;
};

}  // namespace zf
