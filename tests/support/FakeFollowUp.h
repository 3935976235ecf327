// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A tuning follow-up that changes nothing: it records the way back each offer carried and tells
// its listeners when a test says an offer ended.
#include <map>
#include <vector>

#include "ui/ITuningFollowUp.h"

namespace zf::test {

class FakeFollowUp : public ITuningFollowUp {
 public:
  void AfterStoreWritten(RegistryWayBack wayBack) override { offers.push_back(std::move(wayBack)); }
  void AddEndedListener(const void* owner, std::function<void()> listener) override {
    m_listeners.emplace(owner, std::move(listener));
  }
  void RemoveEndedListeners(const void* owner) override { m_listeners.erase(owner); }
  void End() const {
    for (const auto& [owner, listener] : m_listeners) listener();
  }
  std::size_t listeners() const { return m_listeners.size(); }

  std::vector<RegistryWayBack> offers;

 private:
  std::multimap<const void*, std::function<void()>> m_listeners;
};

}  // namespace zf::test
