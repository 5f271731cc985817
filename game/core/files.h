// files: the picture files (".v_s"). The main program, the system map and the credits load their
// pictures with LoadSurfaceFile; the picture tool writes them with SaveSurfaceFile. A picture file
// is a few text lines ("[Vostrel]", the version, "[Surface]", width, height) and then the cells
// as raw bytes, character then attribute, row by row. A faulty picture is fatal: the loader
// prints one error line to standard output and ends the program with status 1, so the exit
// handlers still put the terminal back. A picture missing beside the working directory is looked
// for in the installed data directory (see gamedirs.h).
#pragma once

#include "game/core/2dutils.h"

enum {
    SURFACE_FILE_VERSION = 1,    // the only version this program reads and writes
    SURFACE_FILE_LINE_MAX = 254, // longest text line kept; the rest of a longer line is skipped
    SURFACE_FILE_MAX_CELLS = 1 << 20,  // no picture is larger (the screen is 4000 cells)
};

/* Loading. */
Surface *LoadSurfaceFile(const char *pFileName);

/* Saving. */
int SaveSurfaceFile(const char *pFileName, const Surface *pSurface);
