// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RegistrySeed.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace zf {
namespace {

// 128-bit FNV-1a: stable across runs and builds, unlike std::hash.
unsigned __int128 Fnv1a128(std::string_view text) {
  const unsigned __int128 prime = (static_cast<unsigned __int128>(1) << 88) + 0x13B;
  unsigned __int128 hash = (static_cast<unsigned __int128>(0x6C62272E07BB0142ULL) << 64) | 0x62B821756295C58DULL;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= prime;
  }
  return hash;
}

// The finaliser of MurmurHash3: spreads a one-letter difference over all 64 bits.
std::uint64_t Mix(std::uint64_t value) {
  value ^= value >> 33;
  value *= 0xFF51AFD7ED558CCDULL;
  value ^= value >> 33;
  value *= 0xC4CEB9FE1A85EC53ULL;
  value ^= value >> 33;
  return value;
}

LONG CreateEmptyKey(IRegistry& registry, const std::string& path) {
  HKEY key = 0;
  const LONG status = registry.CreateKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &key);
  if (status == ERROR_SUCCESS) registry.CloseKey(key);
  return status;
}

bool KeyExists(IRegistry& registry, const std::string& path) {
  HKEY key = 0;
  if (registry.OpenKey(HKEY_LOCAL_MACHINE, path, KEY_READ, &key) != ERROR_SUCCESS) return false;
  registry.CloseKey(key);
  return true;
}

}  // namespace

std::string InterfaceGuid(std::string_view interfaceName) {
  const unsigned __int128 hash = Fnv1a128(interfaceName);
  const std::uint64_t high = Mix(static_cast<std::uint64_t>(hash >> 64) ^ Mix(static_cast<std::uint64_t>(hash)));
  // Version 8 and the RFC 4122 variant: a well-formed GUID of the custom kind.
  const std::uint64_t version = (high & ~0xF000ULL) | 0x8000ULL;
  const std::uint64_t low = (Mix(static_cast<std::uint64_t>(hash) ^ high) & ~(0xC0ULL << 56)) | (0x80ULL << 56);
  char text[39];
  std::snprintf(
      text, sizeof text, "{%08llX-%04llX-%04llX-%04llX-%012llX}", static_cast<unsigned long long>(version >> 32),
      static_cast<unsigned long long>((version >> 16) & 0xFFFF), static_cast<unsigned long long>(version & 0xFFFF),
      static_cast<unsigned long long>(low >> 48), static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
  return text;
}

LONG SeedNetworkAdapters(IRegistry& registry, const std::vector<std::string>& interfaceNames) {
  RegistryBatch batch(registry);
  LONG status = CreateEmptyKey(registry, std::string(kInterfacesKey));
  if (status == ERROR_SUCCESS) status = CreateEmptyKey(registry, std::string(kNetTransKey));
  for (std::size_t i = 0; status == ERROR_SUCCESS && i < interfaceNames.size(); ++i) {
    char transport[24];
    std::snprintf(transport, sizeof transport, "%04zu", i);
    status = CreateEmptyKey(registry, std::string(kInterfacesKey) + "\\" + InterfaceGuid(interfaceNames[i]));
    if (status == ERROR_SUCCESS) status = CreateEmptyKey(registry, std::string(kNetTransKey) + "\\" + transport);
  }
  return status == ERROR_SUCCESS ? batch.commit() : status;
}

LONG AddNewNetworkAdapters(IRegistry& registry, const std::vector<std::string>& interfaceNames) {
  const bool allKnown = std::all_of(interfaceNames.begin(), interfaceNames.end(), [&](const std::string& name) {
    return KeyExists(registry, std::string(kInterfacesKey) + "\\" + InterfaceGuid(name));
  });
  // Creating a key that exists opens it: the seed adds only what is missing.
  return allKnown ? ERROR_SUCCESS : SeedNetworkAdapters(registry, interfaceNames);
}

}  // namespace zf
