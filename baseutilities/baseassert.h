// baseassert: the game's one assertion. A failed check prints its expression text, the module and
// the line, runs the registered clean-up (the console restores the terminal there) and aborts.
// Assertions guard programming errors only; they stay on in release builds.
#pragma once

#include <cstddef>  // NULL, which the expression texts of many checks spell out

#define V_ASSERT(expr) \
    ((expr) ? (void)0 : AssertFail(#expr, __FILE__, __LINE__))

// Asserts with a message other than the expression's own text.
#define V_ASSERT_MSG(expr, text) \
    ((expr) ? (void)0 : AssertFail(text, __FILE__, __LINE__))

[[noreturn]] void AssertFail(const char *pExpr, const char *pFile, int line);

// One clean-up runs before the message is printed; registering again replaces it, null removes it.
typedef void (*AssertCleanup)(void);
void AssertSetCleanup(AssertCleanup pfnCleanup);
