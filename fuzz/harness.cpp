#include "harness.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace dtaus::fuzz {
namespace {

std::string& InputName() {
  static std::string name;
  return name;
}

}  // namespace

void SetInputName(std::string name) { InputName() = std::move(name); }

void Fail(const char* file, int line, const char* what, const std::string& detail) {
  std::fprintf(stderr, "\n%s:%d: broken promise: %s\n  %s\n", file, line, what, detail.c_str());
  if (!InputName().empty()) std::fprintf(stderr, "  input: %s\n", InputName().c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace dtaus::fuzz
