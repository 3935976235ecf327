#include <ostream>

#include "cli/CliContext.h"

namespace zf::cli {

int RunRegCommand(CliContext& context, const Args&) {
  context.err << "zentrofastctl: reg is not built yet\n";
  return kExitFailed;
}

int RunProfilesCommand(CliContext& context, const Args&) {
  context.err << "zentrofastctl: profiles is not built yet\n";
  return kExitFailed;
}

}  // namespace zf::cli
