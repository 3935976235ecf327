// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/KernelSettingsLogic.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <numeric>

namespace zf {
namespace {

const QString kNone = QStringLiteral("\u2014");

QString Text(const std::string& text) { return text.empty() ? kNone : QString::fromStdString(text); }

LiveSettingRow& RowFor(std::vector<LiveSettingRow>& rows, std::map<std::string, std::size_t>& index,
                       const std::string& key, const std::string& setting) {
  const auto [found, added] = index.emplace(key, rows.size());
  if (added) rows.push_back({QString::fromStdString(setting), kNone, kNone, kNone, PersistenceText({}), false});
  return rows[found->second];
}

}  // namespace

QString PersistenceText(kernel::Persistence persistence) {
  switch (persistence) {
    case kernel::Persistence::None: return QCoreApplication::translate("zf::KernelSettings", "not managed");
    case kernel::Persistence::Sysctl: return QCoreApplication::translate("zf::KernelSettings", "persisted (sysctl.d)");
    case kernel::Persistence::NetworkManager:
      return QCoreApplication::translate("zf::KernelSettings", "persisted (NetworkManager)");
    case kernel::Persistence::LinkFile:
      return QCoreApplication::translate("zf::KernelSettings", "persisted (.link file)");
    case kernel::Persistence::RuntimeOnly: return QCoreApplication::translate("zf::KernelSettings", "runtime only");
  }
  return {};
}

std::vector<LiveSettingRow> BuildLiveRows(const kernel::KernelStatus* status, const kernel::KernelPlan* plan) {
  std::vector<LiveSettingRow> rows;
  std::map<std::string, std::size_t> index;
  if (plan != nullptr) {
    for (const kernel::KernelChange& change : plan->changes) {
      LiveSettingRow& row = RowFor(rows, index, change.key, change.setting);
      row.live = Text(change.now);
      if (const auto tuned = plan->desired.find(change.key); tuned != plan->desired.end())
        row.tuned = Text(tuned->second);
    }
  }
  if (status != nullptr) {
    for (const kernel::ManagedSetting& managed : status->settings) {
      LiveSettingRow& row = RowFor(rows, index, managed.key, managed.setting);
      if (!managed.live.empty()) row.live = Text(managed.live);
      row.original = Text(managed.original);
      row.kept = PersistenceText(managed.persistence);
      if (!managed.overriddenAtBootBy.empty())
        row.kept += QStringLiteral(", overridden at boot by ") + QString::fromStdString(managed.overriddenAtBootBy);
    }
  }
  for (LiveSettingRow& row : rows) row.differs = row.tuned != kNone && row.live != row.tuned;
  return rows;
}

std::vector<int> FitColumnWidths(const std::vector<int>& wanted, const std::vector<int>& least, int available) {
  const auto widthsUnder = [&](int cap) {
    std::vector<int> widths;
    for (std::size_t i = 0; i < wanted.size(); ++i) widths.push_back(std::max(least[i], std::min(wanted[i], cap)));
    return widths;
  };
  const auto sum = [](const std::vector<int>& widths) { return std::accumulate(widths.begin(), widths.end(), 0); };
  if (wanted.empty()) return {};
  // The largest common cap under which everything fits.
  int fits = 0;
  int tooWide = *std::max_element(wanted.begin(), wanted.end()) + 1;
  if (sum(widthsUnder(tooWide)) <= available) fits = tooWide;
  while (tooWide - fits > 1) {
    const int cap = fits + (tooWide - fits) / 2;
    (sum(widthsUnder(cap)) <= available ? fits : tooWide) = cap;
  }
  std::vector<int> widths = widthsUnder(fits);
  widths.back() += std::max(0, available - sum(widths));
  return widths;
}

std::vector<kernel::ManagedSetting> DriftTracker::NewDrift(const kernel::KernelStatus& status) {
  std::vector<kernel::ManagedSetting> drifted;
  for (const kernel::ManagedSetting& setting : status.settings) {
    if (!setting.Drifted()) {
      m_told.erase(setting.key);
      continue;
    }
    const auto told = m_told.find(setting.key);
    if (told != m_told.end() && told->second == setting.live) continue;
    drifted.push_back(setting);
  }
  return drifted;
}

void DriftTracker::Told(const std::vector<kernel::ManagedSetting>& drifted) {
  for (const kernel::ManagedSetting& setting : drifted) m_told[setting.key] = setting.live;
}

QString DriftNotice(const std::vector<kernel::ManagedSetting>& drifted) {
  if (drifted.empty()) return {};
  QStringList parts;
  for (const kernel::ManagedSetting& setting : drifted)
    parts << QCoreApplication::translate("zf::KernelSettings", "%1 is %2, Zentrofast set %3")
                 .arg(QString::fromStdString(setting.setting), Text(setting.live), Text(setting.managed));
  const QString lead =
      drifted.size() == 1
          ? QCoreApplication::translate("zf::KernelSettings", "A network setting of this computer changed: ")
          : QCoreApplication::translate("zf::KernelSettings", "Network settings of this computer changed: ");
  return lead + parts.join(QStringLiteral("; ")) + QStringLiteral(".");
}

}  // namespace zf
