#include <iostream>

#include "cli/CliContext.h"

int main(int argc, char** argv) {
  return zf::cli::RunCli(zf::cli::Args(argv + 1, argv + argc), std::cout, std::cerr);
}
