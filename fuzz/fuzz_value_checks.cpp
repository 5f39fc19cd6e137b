// libFuzzer entry point; the harness itself is shared with the corpus replay test.
#include <cstddef>
#include <cstdint>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dtaus::fuzz::RunValueChecks(data, size);
  return 0;
}
