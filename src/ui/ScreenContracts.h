// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the command dispatch needs of two particular screens. The real screens implement these
// next to ChildScreen; the dispatch finds them with dynamic_cast.

namespace zf {

// The backup manager: refills its list of backup files.
class IBackupListScreen {
 public:
  virtual ~IBackupListScreen() = default;
  virtual void intializeList() = 0;
};

// The advanced mode: the page its load handler starts on.
class IWizardPagesScreen {
 public:
  virtual ~IWizardPagesScreen() = default;
  virtual void SetCurrWizardPage(int page) = 0;
};

}  // namespace zf
