// The picture loader's fuzz target (libFuzzer, built by `make fuzz` with clang). The loader ends
// the program on a faulty picture; this binary is linked with --wrap=exit, so such an exit jumps
// back here instead, and the input counts as refused. Any other exit, a crash, a sanitizer report,
// an allocation beyond libFuzzer's limit or a failed round trip is a finding.
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "fuzz/picture_harness.h"

static jmp_buf s_refused;
static bool s_loading = false;

extern "C" [[noreturn]] void __real_exit(int status);

extern "C" [[noreturn]] void __wrap_exit(int status)
{
    if (s_loading && g_pictureMayFail && status == 1)
        longjmp(s_refused, 1);
    if (s_loading)
        abort();  // the copy the program wrote itself was refused
    __real_exit(status);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    static PictureInput s_input;  // static: setjmp may not keep a local's changes
    if (!PictureInputOpen(&s_input, pData, size))
        return 0;
    if (setjmp(s_refused) == 0) {
        s_loading = true;
        PictureInputCheck(&s_input);
    }
    s_loading = false;
    g_pictureMayFail = false;
    PictureInputClose(&s_input);
    return 0;
}
