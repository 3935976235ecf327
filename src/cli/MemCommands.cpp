#include <ostream>

#include "cli/CliContext.h"

namespace zf::cli {

int RunMemCommand(CliContext& context, const Args&) {
  context.err << "zentrofastctl: mem is not built yet\n";
  return kExitFailed;
}

int RunCpuCommand(CliContext& context, const Args&) {
  context.err << "zentrofastctl: cpu is not built yet\n";
  return kExitFailed;
}

int RunFreeMemoryCommand(CliContext& context, const Args&) {
  context.err << "zentrofastctl: free-memory is not built yet\n";
  return kExitFailed;
}

}  // namespace zf::cli
