#include "game/core/gamedirs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "baseutilities/baseassert.h"

#ifndef VOSTREL_DATA_FROM_BINARY
#define VOSTREL_DATA_FROM_BINARY "../share/vostrel"
#endif

static const char STAR_TILE[] = "dialogbg.v_s";

// Makes every missing directory of an absolute path, as mkdir -p does.
static int MakeDirectories(const std::string &path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return errno;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

// $XDG_DATA_HOME/vostrel, or ~/.local/share/vostrel; empty when neither can be told.
static std::string PlayerDataDirectory(void)
{
    // Relative values are to be ignored, so that the place never depends on where one starts.
    const char *pXdg = getenv("XDG_DATA_HOME");
    if (pXdg != NULL && pXdg[0] == '/')
        return std::string(pXdg) + "/vostrel";
    const char *pHome = getenv("HOME");
    if (pHome != NULL && pHome[0] == '/')
        return std::string(pHome) + "/.local/share/vostrel";
    return std::string();
}

int GameEnterWorkingDirectory(void)
{
    if (access(STAR_TILE, F_OK) == 0)
        return 0;
    std::string dir = PlayerDataDirectory();
    if (dir.empty()) {
        printf("ERROR: No data directory: neither XDG_DATA_HOME nor HOME is an absolute path\n");
        return 1;
    }
    int error = MakeDirectories(dir);
    if (error == 0 && chdir(dir.c_str()) != 0)
        error = errno;
    if (error != 0) {
        printf("ERROR: The data directory %s cannot be used: %s\n", dir.c_str(), strerror(error));
        return 1;
    }
    return 0;
}

int GameInstalledPicture(const char *pName, char *pPath, size_t size)
{
    V_ASSERT(pName != NULL && pPath != NULL);
    char exe[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return 0;
    exe[length] = '\0';
    char *pSlash = strrchr(exe, '/');
    const char *pBase = strrchr(pName, '/');
    pBase = pBase != NULL ? pBase + 1 : pName;
    if (pSlash == NULL || pBase[0] == '\0')
        return 0;
    *pSlash = '\0';
    int written = snprintf(pPath, size, "%s/%s/%s", exe, VOSTREL_DATA_FROM_BINARY, pBase);
    return written > 0 && (size_t)written < size && access(pPath, R_OK) == 0;
}
