// aidump: the written trail of what the computer companies saw. Every planet step and fleet step
// of compai appends a block to "AIPlanetDump.txt" or "AIFleetDump.txt" in the working directory;
// the files are appended to across games and never truncated. Each file is opened at its first
// block and kept open for the game (opening it per block would cost more than the turn itself);
// every block is flushed when written, so it is whole in the file when its step ends. A file that
// cannot be opened skips the block. The game closes both at shutdown.
#pragma once

struct Planet;
struct Fleet;

/* Blocks, called by the AI's planet and fleet steps before they look at the state. */
void AIDumpPlanet(const Planet *pPlanet);
void AIDumpFleet(const Fleet *pFleet);

// Closes both files; the next block opens its file again.
void AIDumpClose(void);

// The short name of a ship type as the fleet block prints it ("Fast", "Colony Mothership"); "".
const char *AIDumpShipName(int type);
