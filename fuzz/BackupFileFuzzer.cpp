// SPDX-License-Identifier: GPL-3.0-or-later
// Backup files from anywhere (another program's, a damaged disk's) go through the whole restore:
// it must end in one of its three outcomes and only ever write the values it read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/SettingsBackup.h"

namespace {

// Accepts every operation and counts the writes, so the restore runs to its end.
class CountingRegistry final : public zf::IRegistry {
 public:
  zf::LONG CreateKey(zf::HKEY, std::string_view, std::uint32_t, zf::HKEY* result) override {
    *result = 0x1000;
    return zf::ERROR_SUCCESS;
  }
  zf::LONG OpenKey(zf::HKEY parent, std::string_view subKey, std::uint32_t access, zf::HKEY* result) override {
    return CreateKey(parent, subKey, access, result);
  }
  zf::LONG CloseKey(zf::HKEY) override { return zf::ERROR_SUCCESS; }
  zf::LONG QueryValue(zf::HKEY, std::string_view, std::uint32_t*, std::vector<std::uint8_t>*) override {
    return zf::ERROR_FILE_NOT_FOUND;
  }
  zf::LONG SetValue(zf::HKEY, std::string_view, std::uint32_t, const std::vector<std::uint8_t>&) override {
    ++writes;
    return zf::ERROR_SUCCESS;
  }
  zf::LONG DeleteValue(zf::HKEY, std::string_view) override { return zf::ERROR_SUCCESS; }
  zf::LONG DeleteKey(zf::HKEY, std::string_view) override { return zf::ERROR_SUCCESS; }
  zf::LONG EnumKey(zf::HKEY, std::uint32_t, std::string*) override { return zf::ERROR_NO_MORE_ITEMS; }
  zf::LONG EnumValue(zf::HKEY, std::uint32_t, std::string*) override { return zf::ERROR_NO_MORE_ITEMS; }
  zf::LONG BeginBatch() override { return zf::ERROR_SUCCESS; }
  zf::LONG CommitBatch() override { return zf::ERROR_SUCCESS; }
  void RollbackBatch() override {}
  int writes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const std::int16_t family : {std::int16_t{3}, std::int16_t{7}}) {
    CountingRegistry registry;
    const zf::RestoreResult result = zf::RestoreBackupBytes(registry, family, "001.BCK", bytes);
    if (result.outcome != zf::RestoreOutcome::Failed && !result.description.empty() &&
        result.outcome != zf::RestoreOutcome::Refused)
      std::abort();
    if (result.outcome == zf::RestoreOutcome::Refused && registry.writes != 0) std::abort();
    if (result.valuesWritten != registry.writes) std::abort();
  }
  return 0;
}
