// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PythonJson.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "support/TempDir.h"

namespace zf::test {
namespace {

constexpr const char* kPrelude = R"(import json, math, os, re, sys

def no_duplicates(pairs):
    names = [name for name, _ in pairs]
    assert len(names) == len(set(names)), "duplicate names: %r" % names
    return dict(pairs)

def refuse_constant(name):
    raise ValueError("not JSON: " + name)

def strict_types(value, types):
    assert isinstance(value, dict), "not an object: %r" % (value,)
    assert set(value) == set(types), "names %r, wanted %r" % (sorted(value), sorted(types))
    for name, kind in types.items():
        kinds = kind if isinstance(kind, tuple) else (kind,)
        held = value[name]
        assert not (isinstance(held, bool) and bool not in kinds), "%s is a bool" % name
        assert isinstance(held, kinds), "%s is %r, not %r" % (name, held, kinds)

with open(sys.argv[1], encoding="utf-8") as f:
    j = json.load(f, object_pairs_hook=no_duplicates, parse_constant=refuse_constant)
)";

}  // namespace

std::string CheckJsonWithPython(const std::string& json, const std::string& checks) {
  TempDir folder;
  std::ofstream(folder / "out.json", std::ios::binary) << json;
  std::ofstream(folder / "check.py", std::ios::binary) << kPrelude << checks << "\n";
  const std::string command =
      "python3 '" + (folder / "check.py").string() + "' '" + (folder / "out.json").string() + "' 2>&1";
  std::FILE* python = ::popen(command.c_str(), "r");
  if (python == nullptr) return "python3 could not be started";
  std::string said;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), python)) > 0;) said.append(buffer.data(), n);
  const int status = ::pclose(python);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  return said.empty() ? "python3 failed without a word" : said;
}

}  // namespace zf::test
