#pragma once
// Giving up privileges a program was started with (file capabilities, or root's).
namespace zf {

// Clears the effective, permitted, inheritable and ambient capability sets and forbids regaining
// any through exec. True when the process holds none afterwards.
bool DropAllCapabilities();

// True when the process holds no effective or permitted capability.
bool HoldsNoCapability();

}  // namespace zf
