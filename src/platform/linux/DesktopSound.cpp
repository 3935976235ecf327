// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/DesktopSound.h"

#include <canberra.h>

#include <QApplication>

namespace zf {
namespace {

// One context for the life of the program: creating it connects to the sound server.
ca_context* SharedContext() {
  static ca_context* context = [] {
    ca_context* created = nullptr;
    return ca_context_create(&created) == CA_SUCCESS ? created : nullptr;
  }();
  return context;
}

}  // namespace

void PlayDesktopDefaultSound() {
  ca_context* context = SharedContext();
  if (context != nullptr && ca_context_play(context, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
                                            "Zentrofast", nullptr) == CA_SUCCESS)
    return;
  QApplication::beep();
}

}  // namespace zf
