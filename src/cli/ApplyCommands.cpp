#include <ostream>

#include "cli/CliContext.h"

namespace zf::cli {

int RunApplyCommand(CliContext& context, const Args&) {
  context.err << "zentrofastctl: apply is not built yet\n";
  return kExitFailed;
}

int RunBackupCommand(CliContext& context, const Args&) {
  context.err << "zentrofastctl: backup is not built yet\n";
  return kExitFailed;
}

}  // namespace zf::cli
