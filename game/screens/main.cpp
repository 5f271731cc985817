// The program: the terminal stands in for the console, and the game runs until the player quits.
// A terminal known to lack what the game needs is refused before the screen is touched; then the
// game settles where its files go (see gamedirs.h).
#include <cstdio>
#include <cstdlib>

#include "game/core/gamedirs.h"
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
    if (GameEnterWorkingDirectory() != 0)
        return 1;
    PlatformInstall(TerminalBackend());
    return VostrelMain();
}
