// gamedirs: where the game's files are. The game reads its pictures and writes its save slots and
// AI dump files by names relative to its working directory ("dialogbg.v_s", "../assets/...",
// "vostrel_0.sauce", "AIDebug.txt"). Started where the star tile "dialogbg.v_s" lies (run/ as the
// play command lays it out, or a test's scratch directory), the game stays there. Started anywhere
// else it is an installed game: it moves into the player's data directory, $XDG_DATA_HOME/vostrel
// (~/.local/share/vostrel when that is unset or not an absolute path), made on first start, so
// that saves and dumps land there. A picture missing beside the working directory is then read
// from the installed data directory, "../share/vostrel" from the program's own directory (the
// build fixes that relative path, so an installed tree may be moved whole). The main program calls
// GameEnterWorkingDirectory before anything else; the picture loader calls GameInstalledPicture.
#pragma once

#include <cstddef>

/* Start-up. */
// Moves into the player's data directory unless the star tile lies in the working directory.
// Returns 0, or 1 after printing one error line when that directory cannot be made or entered.
int GameEnterWorkingDirectory(void);

/* Queries. */
// Writes into pPath (size bytes) the installed copy of the picture named pName (only its last
// path component counts) and returns 1; returns 0 when there is no such readable file.
int GameInstalledPicture(const char *pName, char *pPath, size_t size);
