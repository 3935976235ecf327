// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An AppServices over fakes and an in-memory registry, with the program folder in a temporary
// folder, for tests of the screens and the shell.
#include "core/AppServices.h"
#include "support/Fakes.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf::test {

struct TestServices {
  TempDir folder;
  MemoryRegistry registry;
  FakeShell shell;
  FakeSound sound;
  FakeWindowSystem windowSystem;
  FakeMessageBox messageBox;
  FakeClock clock;
  FakeIcmp icmp;
  FakeSystemInfo systemInfo;
  AppServices services;

  explicit TestServices(OSVersionRecord version = kDefaultOSVersion)
      : services{Config{folder.path(), folder / "registry.sqlite3", version, {}},
                 registry,
                 shell,
                 sound,
                 windowSystem,
                 messageBox,
                 clock,
                 icmp,
                 systemInfo,
                 DetectOSFamily(version),
                 {}} {
    services.tuning.FillProfiles();
  }
};

}  // namespace zf::test
