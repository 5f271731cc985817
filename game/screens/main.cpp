// The program: the terminal stands in for the console, and the game runs until the player quits.
#include "game/screens/mainflow.h"
#include "platform/platform.h"
#include "platform/terminal.h"

int main(void)
{
    PlatformInstall(TerminalBackend());
    return VostrelMain();
}
