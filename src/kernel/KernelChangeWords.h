// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A plan's change as a person who pressed "Optimize Now" reads it: the setting in words, its
// values in their units and what the new value does, e.g. "Receive buffer: 32 MB → 8.4 KB — one
// connection at most 1.7 Mbit/s at 20 ms". The sysctl names stay in the preview's details.
#include <QCoreApplication>
#include <QString>
#include <string>
#include <string_view>

#include "kernel/KernelTypes.h"

namespace zf {

class KernelChangeWords {
  Q_DECLARE_TR_FUNCTIONS(KernelChangeWords)

 public:
  // "Subject: now → after — effect", the effect only where there is one. The change's note (the
  // stored value it comes from) stays with the details; a setting the desired state no longer
  // sets says it goes back to its original.
  static QString Sentence(const kernel::KernelChange& change, bool backToOriginal = false);
  // "Receive buffer", "Packet size (MTU) of eth0"; the display name for a setting it does not know.
  static QString Subject(std::string_view key, const std::string& displayName);
  // "32 MB", "2 h", "on"; the value as it is for a setting it does not know, "unreadable" for none.
  static QString Value(std::string_view key, const std::string& value);
  // What the new value does; empty when it says nothing a person needs to know.
  static QString Effect(std::string_view key, const std::string& after);
};

}  // namespace zf
