// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RegistryStatus.h"

#include "core/Translatable.h"

namespace zf {

std::string RegistryStatusText(LONG status) {
  switch (status) {
    case ERROR_SUCCESS: return ZF_CLI_TRANSLATABLE("success");
    case ERROR_FILE_NOT_FOUND: return ZF_CLI_TRANSLATABLE("not found");
    case ERROR_ACCESS_DENIED: return ZF_CLI_TRANSLATABLE("access denied (the registry store is read-only)");
    case ERROR_INVALID_HANDLE: return ZF_CLI_TRANSLATABLE("invalid key handle");
    case ERROR_INVALID_PARAMETER: return ZF_CLI_TRANSLATABLE("invalid key path or name");
    case ERROR_DISK_FULL: return ZF_CLI_TRANSLATABLE("disk full");
    case ERROR_BADDB: return ZF_CLI_TRANSLATABLE("the registry store is corrupt");
    case ERROR_CANTREAD: return ZF_CLI_TRANSLATABLE("the registry store could not be read");
    case ERROR_CANTWRITE: return ZF_CLI_TRANSLATABLE("the registry store could not be written");
    case ERROR_KEY_DELETED: return ZF_CLI_TRANSLATABLE("the key was deleted meanwhile");
    default: return "registry error " + std::to_string(status);
  }
}

std::string StoreUnwritableText(LONG beginStatus) {
  const char* why = beginStatus == ERROR_DISK_FULL       ? "disk full"
                    : beginStatus == ERROR_ACCESS_DENIED ? "it is read-only"
                                                         : "it is read-only or busy with another program";
  return std::string("The registry store cannot be written (") + why + ")";
}

}  // namespace zf
