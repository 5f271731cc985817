#include "game/core/files.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "baseutilities/baseassert.h"
#include "game/core/gamedirs.h"

static_assert(sizeof(Cell) == 2, "a picture file stores each cell as exactly two bytes");

enum {
    FILE_ERROR_OPEN = 0,
    FILE_ERROR_NOT_VOSTREL = 1,
    FILE_ERROR_TOO_OLD = 2,
    FILE_ERROR_TOO_NEW = 3,
    FILE_ERROR_BAD_TAG = 4,
    FILE_ERROR_EARLY_END = 5,
};

static const char *const s_apszFileErrors[] = {
    "ERROR: File could not be opened\n",
    "ERROR: File is not a valid Vostrel data file\n",
    "ERROR: The format of this file is too old\n",
    "ERROR: The format of this file is too new\n",
    "ERROR: Bad tag encountered in file\n",
    "ERROR: Prematurely reached the end of file\n",
};

static FILE *s_pFile = NULL;  // the picture being read; FileError closes it

// Every fault in a picture file ends the program. exit() rather than a quicker way out, so that
// the handlers registered at start-up restore the terminal.
[[noreturn]] static void FileError(int error)
{
    fputs(s_apszFileErrors[error], stdout);
    if (s_pFile != NULL) {
        fclose(s_pFile);
        s_pFile = NULL;
    }
    exit(1);
}

/* Reading the text lines. */

static bool IsTrailingSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

// Reads one line, line feed included, keeping at most SURFACE_FILE_LINE_MAX characters: the rest
// of a longer line is read and dropped, so that an overlong comment stays one comment and the
// cell block still starts right after the height line's line feed. Returns the characters kept,
// or -1 when the file ends before the line's first character.
static int ReadLine(char *pLine)
{
    int length = 0;
    int ch;
    while ((ch = getc(s_pFile)) != EOF) {
        if (length < SURFACE_FILE_LINE_MAX)
            pLine[length++] = (char)ch;
        if (ch == '\n')
            break;
    }
    if (ch == EOF && length == 0)
        return -1;
    pLine[length] = '\0';
    return length;
}

// The next line that is neither empty nor a comment, with trailing blanks, tabs and line ends
// removed (its first character always stays). Leading blanks are kept: " [Vostrel]" is no header.
static int ReadContentLine(char *pLine)
{
    for (;;) {
        int length = ReadLine(pLine);
        if (length < 0)
            FileError(FILE_ERROR_EARLY_END);
        while (length > 1 && IsTrailingSpace(pLine[length - 1]))
            length--;
        pLine[length] = '\0';
        if (pLine[0] != '\r' && pLine[0] != '\n' && pLine[0] != ';')
            return length;
    }
}

static bool LineIs(const char *pLine, int length, const char *pText)
{
    return (size_t)length == strlen(pText) && memcmp(pLine, pText, (size_t)length) == 0;
}

// The decimal number at the start of the line; text after the digits is ignored and a line
// without digits reads as 0. Out-of-range values come back as the 64-bit extremes.
static long long LineNumber(const char *pLine)
{
    return strtoll(pLine, NULL, 10);
}

// Bytes between the read position and the end of a regular file; -1 when that cannot be told
// (a pipe, say), and then the read itself finds a short file.
static long long BytesLeft(void)
{
    struct stat info;
    long position = ftell(s_pFile);
    if (position < 0 || fstat(fileno(s_pFile), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return (long long)info.st_size - position;
}

/* Loading. */

// Returns a new surface owned by the caller; any fault ends the program (see FileError).
// A width or height below 1, or more cells than SURFACE_FILE_MAX_CELLS, is reported as "not a
// valid Vostrel data file": such a size is never a picture.
Surface *LoadSurfaceFile(const char *pFileName)
{
    V_ASSERT(pFileName != NULL);
    char line[SURFACE_FILE_LINE_MAX + 1];

    // A directory opens as a stream on some systems but is no file to read.
    struct stat info;
    s_pFile = fopen(pFileName, "rb");
    char installed[PATH_MAX];
    if (s_pFile == NULL && errno == ENOENT && GameInstalledPicture(pFileName, installed, sizeof installed))
        s_pFile = fopen(installed, "rb");
    if (s_pFile == NULL || fstat(fileno(s_pFile), &info) != 0 || S_ISDIR(info.st_mode))
        FileError(FILE_ERROR_OPEN);

    int length = ReadContentLine(line);
    if (!LineIs(line, length, "[Vostrel]"))
        FileError(FILE_ERROR_NOT_VOSTREL);

    ReadContentLine(line);
    long long version = LineNumber(line);
    if (version < SURFACE_FILE_VERSION)
        FileError(FILE_ERROR_TOO_OLD);
    if (version > SURFACE_FILE_VERSION)
        FileError(FILE_ERROR_TOO_NEW);

    length = ReadContentLine(line);
    if (!LineIs(line, length, "[Surface]"))
        FileError(FILE_ERROR_BAD_TAG);

    ReadContentLine(line);
    long long width = LineNumber(line);
    ReadContentLine(line);
    long long height = LineNumber(line);
    // The bound holds for every kind of file: a pipe cannot be measured before it is read.
    if (width < 1 || height < 1 || width > SURFACE_FILE_MAX_CELLS / height)
        FileError(FILE_ERROR_NOT_VOSTREL);

    // A short file is refused before its claimed size is allocated.
    size_t cellBytes = (size_t)width * (size_t)height * sizeof(Cell);
    long long left = BytesLeft();
    if (left >= 0 && (unsigned long long)left < cellBytes)
        FileError(FILE_ERROR_EARLY_END);

    Surface *pSurface = CreateSurface((int)width, (int)height);
    if (fread(pSurface->m_pCells, 1, cellBytes, s_pFile) != cellBytes) {
        DestroySurface(&pSurface);
        FileError(FILE_ERROR_EARLY_END);
    }

    fclose(s_pFile);
    s_pFile = NULL;
    return pSurface;
}

/* Saving. */

// Writes the picture in the form LoadSurfaceFile reads, with no comments. Returns 0, or 1 when
// the file cannot be written (a partial file may be left behind).
int SaveSurfaceFile(const char *pFileName, const Surface *pSurface)
{
    V_ASSERT(pFileName != NULL && pSurface != NULL);
    FILE *pFile = fopen(pFileName, "wb");
    if (pFile == NULL)
        return 1;
    size_t cellBytes = (size_t)pSurface->m_nWidth * (size_t)pSurface->m_nHeight * sizeof(Cell);
    fprintf(pFile, "[Vostrel]\n%d\n[Surface]\n%d\n%d\n", SURFACE_FILE_VERSION, pSurface->m_nWidth,
            pSurface->m_nHeight);
    bool written = fwrite(pSurface->m_pCells, 1, cellBytes, pFile) == cellBytes;
    if (ferror(pFile))
        written = false;
    if (fclose(pFile) != 0)
        written = false;
    return written ? 0 : 1;
}
