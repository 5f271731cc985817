// picture_harness: hands one fuzz input to the picture loader, the way a picture reaches the game.
// The picture fuzz target and the regression test that replays kept inputs both call it.
// An input is one mode byte and then the file's bytes. The mode's low bit sends the bytes through
// a pipe instead of a regular file: the loader can tell a regular file's size and refuses a short
// one before it allocates, but from a pipe it must not trust the size the header claims either.
// A picture that loads must survive saving and loading again unchanged.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/core/files.h"

enum { PICTURE_MODE_PIPE = 1 };

// True while a fuzz input itself is being loaded: a faulty picture may end the program then, but
// not while the loader reads back the copy this program wrote.
inline bool g_pictureMayFail = false;

struct PictureInput {
    int m_readFd;       // what the loader opens, through /proc/self/fd
    int m_writeFd;      // the pipe's other end, closed once the bytes are in; -1 for a file
    char m_path[64];
};

// Puts the bytes where the loader will read them. Returns false when the input cannot be staged
// (the pipe refuses that many bytes): such an input tests nothing.
inline bool PictureInputOpen(PictureInput *pInput, const uint8_t *pData, size_t size)
{
    pInput->m_readFd = pInput->m_writeFd = -1;
    if (size == 0)
        return false;
    bool pipeMode = (pData[0] & PICTURE_MODE_PIPE) != 0;
    pData++;
    size--;
    int fds[2];
    if (pipeMode) {
        if (pipe2(fds, O_CLOEXEC) != 0)
            return false;
        // The whole file must fit the pipe, since nothing reads it while it is written.
        if (fcntl(fds[1], F_SETPIPE_SZ, 1 << 20) < 0 || size > (1u << 20)) {
            close(fds[0]);
            close(fds[1]);
            return false;
        }
        pInput->m_readFd = fds[0];
        pInput->m_writeFd = fds[1];
    } else {
        pInput->m_readFd = memfd_create("vostrel-fuzz-picture", MFD_CLOEXEC);
        if (pInput->m_readFd < 0)
            return false;
    }
    int target = pipeMode ? pInput->m_writeFd : pInput->m_readFd;
    for (size_t done = 0; done < size;) {
        ssize_t n = write(target, pData + done, size - done);
        if (n <= 0)
            abort();  // the staging itself failed: no verdict on the loader is possible
        done += (size_t)n;
    }
    if (pipeMode) {
        close(pInput->m_writeFd);
        pInput->m_writeFd = -1;
    }
    snprintf(pInput->m_path, sizeof pInput->m_path, "/proc/self/fd/%d", pInput->m_readFd);
    return true;
}

inline void PictureInputClose(PictureInput *pInput)
{
    if (pInput->m_readFd >= 0)
        close(pInput->m_readFd);
    if (pInput->m_writeFd >= 0)
        close(pInput->m_writeFd);
    pInput->m_readFd = pInput->m_writeFd = -1;
}

// Loads the staged picture; a faulty one ends the program through exit(), which the caller
// catches. A picture that loads is checked whole: every cell readable, and a saved copy that
// loads back cell for cell.
inline void PictureInputCheck(const PictureInput *pInput)
{
    g_pictureMayFail = true;
    Surface *pSurface = LoadSurfaceFile(pInput->m_path);
    g_pictureMayFail = false;
    if (pSurface == NULL || pSurface->m_nWidth < 1 || pSurface->m_nHeight < 1)
        abort();
    size_t cells = (size_t)pSurface->m_nWidth * (size_t)pSurface->m_nHeight;
    int copyFd = memfd_create("vostrel-fuzz-copy", MFD_CLOEXEC);
    char copyPath[64];
    snprintf(copyPath, sizeof copyPath, "/proc/self/fd/%d", copyFd);
    if (copyFd < 0 || SaveSurfaceFile(copyPath, pSurface) != 0)
        abort();
    Surface *pCopy = LoadSurfaceFile(copyPath);
    close(copyFd);
    if (pCopy->m_nWidth != pSurface->m_nWidth || pCopy->m_nHeight != pSurface->m_nHeight ||
        memcmp(pCopy->m_pCells, pSurface->m_pCells, cells * sizeof(Cell)) != 0)
        abort();
    DestroySurface(&pCopy);
    DestroySurface(&pSurface);
}
