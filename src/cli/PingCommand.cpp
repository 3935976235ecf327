#include <ostream>

#include "cli/CliContext.h"

namespace zf::cli {

int RunPingCommand(CliContext& context, const Args&) {
  context.err << "zentrofastctl: ping is not built yet\n";
  return kExitFailed;
}

}  // namespace zf::cli
