// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/KernelPreview.h"

#include <QCoreApplication>
#include <algorithm>

namespace zf {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

PreviewRow RowOf(const kernel::KernelChange& change) {
  PreviewRow row{
      Text(change.setting),
      change.now.empty() ? QCoreApplication::translate("zf::KernelPreview", "(unreadable)") : Text(change.now),
      Text(change.after), Text(change.note), change.Changes()};
  if (!row.changes && row.note.isEmpty()) row.note = QCoreApplication::translate("zf::KernelPreview", "already set");
  return row;
}

}  // namespace

KernelPreviewModel BuildPreview(const kernel::KernelPlan& plan) {
  KernelPreviewModel model;
  for (const kernel::KernelChange& change : plan.changes) model.rows.push_back(RowOf(change));
  std::stable_partition(model.rows.begin(), model.rows.end(), [](const PreviewRow& row) { return row.changes; });
  for (const std::string& note : plan.notes) model.registryOnly << Text(note);
  for (const kernel::KernelWarning& warning : plan.warnings) model.warnings << Text(warning.text);
  model.needsIpv6Acceptance = plan.NeedsIpv6Acceptance();
  return model;
}

}  // namespace zf
