// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the preview dialog shows of a plan: one row per Linux setting, the values that stay in
// the store only, the warnings, and whether Apply may be pressed.
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
};

struct KernelPreviewModel {
  std::vector<PreviewRow> rows;  // the settings that change first, in the plan's order
  QStringList registryOnly;      // the plan's notes: values without a Linux setting, skipped interfaces
  QStringList warnings;
  bool needsIpv6Acceptance = false;

  // An interface losing its IPv6 addresses must be accepted on its own before anything applies.
  bool ApplyAllowed(bool ipv6LossAccepted) const { return !needsIpv6Acceptance || ipv6LossAccepted; }
};

KernelPreviewModel BuildPreview(const kernel::KernelPlan& plan);

}  // namespace zf
