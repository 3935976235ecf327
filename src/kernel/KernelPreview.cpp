// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/KernelPreview.h"

#include <QCoreApplication>
#include <algorithm>
#include <string>
#include <vector>

#include "core/Translatable.h"
#include "kernel/KernelChangeWords.h"
#include "ui/PhraseText.h"

namespace zf {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString Translated(const kernel::Phrase& phrase) { return Text(TranslatedText(phrase)); }

PreviewRow RowOf(const kernel::KernelChange& change, bool backToOriginal) {
  PreviewRow row;
  row.setting = Text(change.setting);
  row.now = change.now.empty() ? QCoreApplication::translate("zf::KernelPreview", "(unreadable)") : Text(change.now);
  row.after = Text(change.after);
  row.note = Translated(change.note);
  row.changes = change.Changes();
  row.words = KernelChangeWords::Sentence(change, backToOriginal);
  if (!row.changes && row.note.isEmpty()) row.note = KernelChangeWords::tr("already set");
  return row;
}

}  // namespace

KernelPreviewModel BuildPreview(const kernel::KernelPlan& plan) {
  KernelPreviewModel model;
  for (const kernel::KernelChange& change : plan.changes)
    model.rows.push_back(RowOf(change, plan.desired.count(change.key) == 0));
  std::stable_partition(model.rows.begin(), model.rows.end(), [](const PreviewRow& row) { return row.changes; });
  for (const kernel::Phrase& note : plan.notes) model.registryOnly << Translated(note);
  for (const kernel::KernelWarning& warning : plan.warnings) {
    const bool saidInWords =
        warning.kind == kernel::WarningKind::ThroughputCap || warning.kind == kernel::WarningKind::Ipv6Loss;
    (saidInWords ? model.detailWarnings : model.warnings) << Translated(warning.text);
  }
  model.needsIpv6Acceptance = plan.NeedsIpv6Acceptance();
  return model;
}

}  // namespace zf
