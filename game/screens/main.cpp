// The program: the terminal stands in for the console, and the game runs until the player quits.
// It first settles where its files go (see gamedirs.h).
#include "game/core/gamedirs.h"
#include "game/screens/mainflow.h"
#include "platform/platform.h"
#include "platform/terminal.h"

int main(void)
{
    if (GameEnterWorkingDirectory() != 0)
        return 1;
    PlatformInstall(TerminalBackend());
    return VostrelMain();
}
