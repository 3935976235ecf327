// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the preview dialog shows of a plan: each change in words, one row per Linux setting for
// the details, the values that stay in the store only, the warnings, and whether Apply may be
// pressed.
#include <QString>
#include <QStringList>
#include <vector>

#include "kernel/KernelTypes.h"

namespace zf {

struct PreviewRow {
  QString setting;
  QString now;
  QString after;
  QString note;
  bool changes = false;
  QString words;  // the change as a person reads it (KernelChangeWords)
};

struct KernelPreviewModel {
  std::vector<PreviewRow> rows;  // the settings that change first, in the plan's order
  QStringList registryOnly;      // the plan's notes: values without a Linux setting, skipped interfaces
  QStringList warnings;          // in the plain view
  QStringList detailWarnings;    // what a change's words already say (a throughput cap, lost IPv6
                                 // addresses), in the plan's terms: with the details
  bool needsIpv6Acceptance = false;

  // An interface losing its IPv6 addresses must be accepted on its own before anything applies.
  bool ApplyAllowed(bool ipv6LossAccepted) const { return !needsIpv6Acceptance || ipv6LossAccepted; }
};

KernelPreviewModel BuildPreview(const kernel::KernelPlan& plan);

}  // namespace zf
