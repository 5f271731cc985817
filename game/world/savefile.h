// savefile: the saved game. A save file is plain text, one value a line: the companies, then an
// object table that lists every system, planet, structure, warp gate, fleet and ship once by its
// object id with its plain values, then the company fleets and the universe, in which every
// pointer is written as the id of its target (the next free id, N, standing for null). The slot
// dialog of the screens calls SaveUniverse and LoadUniverse; tests, the fuzzer and the benchmark
// use the in-memory forms. Nothing here draws or talks to the player: failures come back as text.
//
// Writing goes to a temporary file in the slot's directory that is flushed, synced and renamed
// over the slot, so a slot always holds the old save or the new one, whole. Reading checks every
// count, id, tag and size against the file and the records' limits before it trusts it, and on
// any fault frees what it made: the world in play and g_nextObjectId are left as they were.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>

struct Universe;

enum {
    SAVE_SLOT_COUNT = 10,
    SAVE_ERROR_MAX = 200,           // room for the reason a save or load failed
    SAVE_LINE_MAX = 512,            // the longest line the reader takes
    SAVE_MAP_MAX = 1000,            // the largest map side a file may describe
    SAVE_TURN_MAX = 1000000000,     // the last turn a file may hold: it is shown plus one, and played on
};

// LoadUniverse's results besides 0 and 1 (a file that cannot be read or is damaged).
enum {
    LOAD_EMPTY = 2,                 // no file in the slot
};

// What the slot list shows of a slot without loading it.
enum {
    SLOT_EMPTY = 0,
    SLOT_SAVED = 1,
    SLOT_UNREADABLE = 2,            // something is there, but its last line is no turn number
};

struct SlotInfo {
    int m_eState;                   // SLOT_*
    int m_iTurn;                    // the universe turn, when saved
    time_t m_savedAt;               // when the file was last written, when saved
};

/* File names. */
// "vostrel_%i.sauce" with the slot index 0 to 9.
void SaveSlotFileName(int slot, char *pName, size_t size);

/* Writing. */
// The file text of a universe. The caller's string is replaced. 0, or 1 with the reason in pWhy
// (a name that cannot be written on one line).
int WriteUniverse(const Universe *pUniverse, std::string *pText, char *pWhy, size_t whySize);
// Writes the file atomically: 0, or 1 with the reason in pWhy, the old file untouched.
int SaveUniverse(const char *pFileName, const Universe *pUniverse, char *pWhy, size_t whySize);

/* Reading. */
// Builds a new universe from file text. On success: 0, *ppUniverse set and *pNextId the N of
// the file. On failure: 1, *ppUniverse null, the reason (with its line) in pWhy, nothing left
// allocated and no global changed.
int ReadUniverse(const char *pData, size_t size, Universe **ppUniverse, int *pNextId, char *pWhy, size_t whySize);
// Reads a file: as ReadUniverse, and on success g_nextObjectId becomes the file's N. A missing
// file is reported as "empty".
int LoadUniverse(const char *pFileName, Universe **ppUniverse, char *pWhy, size_t whySize);

/* The slot list. */
SlotInfo GetSlotInfo(const char *pFileName);
