// universe: the world of one game: the galaxy map with its star systems and the companies.
// Generation makes it, GameStart installs it in g_pUniverse, the turn cycle advances it.
#pragma once

#include <cstdint>

#include "game/core/coord.h"

struct System;
struct Company;
struct Surface;

struct Universe {
    Coord m_size;              // galaxy size in cells, 100 x 100
    Coord m_coordSpare;        // carried through save and load; read by nothing else
    int8_t m_cSystem;
    System **m_ppSystem;       // owned; index 0 is the player's home system
    int8_t m_cCompany;
    Company **m_ppCompany;     // owned; index 0 is the player
    Surface *m_pSurface;       // owned galaxy map, m_size cells
    int m_iTurn;               // raised at the start of each universe update
};

enum {
    GALAXY_SIZE = 100,          // columns and rows of the galaxy map
    GALAXY_SYSTEM_DISTANCE = 20, // starting minimum distance between systems, columns and rows
    PLAYER_COLOR = 0x90,
};

/* Lifecycle. */
// Generates a galaxy: systems placed apart, their planets and gates, the companies on their home
// planets, the galaxy surface and the warp links. 0, or 1 with *ppUniverse null when memory runs
// out. Exits the program with status 1 if the systems cannot be placed.
int UniverseCreate(Universe **ppUniverse, int systemCount, int companyCount);
// Destroys every company and system, the galaxy surface and the record; nulls the pointer (and
// g_pUniverse when that is the universe destroyed).
void UniverseDestroy(Universe **ppUniverse);

/* Queries. */
// The company the person plays (the one not run by the computer), or null.
Company *UniversePlayer(const Universe *pUniverse);

/* Generation steps. */
// Pairs gates of different systems at random; gates left over stay unpaired.
void MakeWarpLinks(Universe *pUniverse);
unsigned char CompanyColorForIndex(int index);   // 0x90 for the player, (i + 9) * 16 for AI i
