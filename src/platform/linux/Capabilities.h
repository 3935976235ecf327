// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Giving up privileges a program was started with (file capabilities, or root's).
namespace zf {

// Clears the effective, permitted, inheritable and ambient capability sets. True when the process
// holds none afterwards.
bool DropAllCapabilities();

// Forbids gaining any privilege through exec (setuid or file capabilities) from now on.
bool ForbidNewPrivileges();

// True when the process holds no effective or permitted capability.
bool HoldsNoCapability();

}  // namespace zf
