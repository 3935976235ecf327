// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The live view of this computer's network settings without its window: one row per setting the
// bridge manages or the store tunes, and the drift notice of the tray.
#include <QString>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "kernel/KernelTypes.h"

namespace zf {

struct LiveSettingRow {
  QString setting;
  QString live;
  QString tuned;         // the store's value; "—" when the store sets nothing for it
  QString original;      // before Zentrofast first changed it; "—" when it never did
  QString kept;          // persisted where, runtime only, or not managed
  bool differs = false;  // the live value is not the tuned one
};

QString PersistenceText(kernel::Persistence persistence);

// Either source may be missing (unreadable ledger, unreadable store); the rows show what is known.
std::vector<LiveSettingRow> BuildLiveRows(const kernel::KernelStatus* status, const kernel::KernelPlan* plan);

// Remembers which drift it has told about, so that each change is told once: a setting is told
// again only when its live value moves to yet another value, or after it came back and left again.
class DriftTracker {
 public:
  // The managed settings whose drift has not been told yet.
  std::vector<kernel::ManagedSetting> NewDrift(const kernel::KernelStatus& status);
  // The user has been told of these; they are no news until they change again.
  void Told(const std::vector<kernel::ManagedSetting>& drifted);

 private:
  std::map<std::string, std::string> m_told;  // key → live value told about
};

// Column widths for a list of the available width: each column as wide as it wants while they
// all fit; else the widest are cut to one common width, none below its least (its heading, its
// longest word). Whatever room is left goes to the last column.
std::vector<int> FitColumnWidths(const std::vector<int>& wanted, const std::vector<int>& least, int available);

// One sentence for a balloon; empty when nothing drifted.
QString DriftNotice(const std::vector<kernel::ManagedSetting>& drifted);

}  // namespace zf
