// The program: the terminal stands in for the console, and the game runs until the player quits.
// A terminal known to lack what the game needs is refused before the screen is touched.
#include <cstdio>
#include <cstdlib>

#include "game/screens/mainflow.h"
#include "platform/platform.h"
#include "platform/terminal.h"

int main(void)
{
    const char *pTerm = getenv("TERM");
    if (const char *pLacks = TerminalLacks(pTerm)) {
        fprintf(stderr, "Vostrel cannot be played on this terminal (TERM=%s): it has %s.\n", pTerm, pLacks);
        return EXIT_FAILURE;
    }
    PlatformInstall(TerminalBackend());
    return VostrelMain();
}
