// Where the game works: beside the star tile when it lies in the working directory, otherwise in
// the player's data directory, made on first start; a relative XDG_DATA_HOME counts as unset.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/core/gamedirs.h"

namespace fs = std::filesystem;

TEST(GameDirectories, TheWorkingDirectoryFollowsTheStarTileAndTheEnvironment)
{
    static const struct {
        bool m_starTile;
        const char *m_xdg;   // XDG_DATA_HOME under the scratch root; NULL: unset; "rel": relative
        const char *m_home;  // HOME likewise
        int m_result;
        const char *m_workDir;  // under the scratch root; "" stays where it started
    } s_cases[] = {
        {true, "xdg", "home", 0, ""},
        {false, "xdg", "home", 0, "xdg/vostrel"},
        {false, "rel", "home", 0, "home/.local/share/vostrel"},
        {false, NULL, "home", 0, "home/.local/share/vostrel"},
        {false, NULL, NULL, 1, ""},
    };
    fs::path start = fs::current_path();
    const char *pHome = getenv("HOME"), *pXdg = getenv("XDG_DATA_HOME");
    std::string home = pHome != NULL ? pHome : "/", xdg = pXdg != NULL ? pXdg : "";
    for (const auto &c : s_cases) {
        char pattern[] = "/tmp/vostrel-dirs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        fs::path root = fs::canonical(pattern), from = root / "start";
        fs::create_directories(from);
        if (c.m_starTile)
            std::ofstream(from / "dialogbg.v_s").put(0);
        auto set = [&](const char *pName, const char *pValue) {
            if (pValue == NULL)
                unsetenv(pName);
            else
                setenv(pName, std::string(pValue) == "rel" ? "rel" : (root / pValue).c_str(), 1);
        };
        set("XDG_DATA_HOME", c.m_xdg);
        set("HOME", c.m_home);
        fs::current_path(from);
        EXPECT_EQ(GameEnterWorkingDirectory(), c.m_result) << c.m_workDir;
        EXPECT_EQ(fs::current_path(), *c.m_workDir ? root / c.m_workDir : from);
        fs::current_path(start);
        fs::remove_all(root);
    }
    setenv("HOME", home.c_str(), 1);
    if (pXdg != NULL)
        setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}
