// The terminal input parser's fuzz target (libFuzzer, built by `make fuzz` with clang): any
// sanitizer report, or records that differ between reads cut at random places and the reference
// (see terminal_input_harness.h), is a finding.
#include <cstdlib>

#include "fuzz/terminal_input_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    if (!TerminalFuzzCheck(pData, size))
        abort();
    return 0;
}
