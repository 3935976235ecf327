// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The stored tuning values turned into Linux settings: the desired state of one apply.
#include <string>
#include <vector>

#include "kernel/KernelPlan.h"
#include "kernel/KernelTypes.h"
#include "kernel/LiveSystem.h"
#include "kernel/StoredTuning.h"

namespace zf::kernel {

struct DesiredState {
  SettingMap values;
  std::map<std::string, Phrase> sources;  // key → the stored field it comes from
  std::vector<Phrase> notes;
};

// `originals` are the ledger's first-touch values; the receive-buffer triplet is derived from the
// original one so that applying the same values twice gives the same result.
DesiredState MapToLinux(const StoredTuning& tuning, const std::vector<LinkInfo>& links, const SettingMap& originals,
                        const ILiveSystem& live);

// MakePlan with the mapping's notes and sources for a person to read.
KernelPlan MakePlan(const DesiredState& desired, const ILiveSystem& live, const Ledger& ledger);

}  // namespace zf::kernel
