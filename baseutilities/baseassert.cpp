#include "baseutilities/baseassert.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static AssertCleanup s_pfnCleanup = nullptr;

void AssertSetCleanup(AssertCleanup pfnCleanup)
{
    s_pfnCleanup = pfnCleanup;
}

// The module is the file name without its directory and extension, as players report it.
static void ModuleName(const char *pFile, char *pOut, size_t size)
{
    const char *pBase = strrchr(pFile, '/');
    pBase = pBase ? pBase + 1 : pFile;
    size_t n = strcspn(pBase, ".");
    if (n >= size)
        n = size - 1;
    memcpy(pOut, pBase, n);
    pOut[n] = '\0';
}

void AssertFail(const char *pExpr, const char *pFile, int line)
{
    // Clear the hook first so that a fault inside the clean-up cannot recurse.
    AssertCleanup pfn = s_pfnCleanup;
    s_pfnCleanup = nullptr;
    if (pfn)
        pfn();

    char module[64];
    ModuleName(pFile, module, sizeof module);
    fflush(stdout);
    fprintf(stderr, "Assertion failed: %s, module %s, line %d\n", pExpr, module, line);
    fflush(stderr);
    abort();
}
