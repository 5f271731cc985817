// Where the game works: beside the star tile when it lies in the working directory, otherwise in
// the player's data directory, made on first start; a relative XDG_DATA_HOME counts as unset.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>

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
    // Sets the variable, or unsets it for none; the environment as it was is put back at the end.
    auto put = [](const char *pName, const char *pValue) { pValue ? setenv(pName, pValue, 1) : unsetenv(pName); };
    std::optional<std::string> saved[2];
    for (int i = 0; i < 2; i++)
        if (const char *pValue = getenv(i ? "HOME" : "XDG_DATA_HOME"))
            saved[i] = pValue;
    for (const auto &c : s_cases) {
        char pattern[] = "/tmp/vostrel-dirs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        fs::path root = fs::canonical(pattern), from = root / "start";
        fs::create_directories(from);
        if (c.m_starTile)
            std::ofstream(from / "dialogbg.v_s").put(0);
        for (auto [pName, pValue] : {std::pair{"XDG_DATA_HOME", c.m_xdg}, {"HOME", c.m_home}})
            put(pName, !pValue ? nullptr : std::string(pValue) == "rel" ? "rel" : (root / pValue).c_str());
        fs::current_path(from);
        EXPECT_EQ(GameEnterWorkingDirectory(), c.m_result) << c.m_workDir;
        EXPECT_EQ(fs::current_path(), *c.m_workDir ? root / c.m_workDir : from);
        fs::current_path(start);
        fs::remove_all(root);
    }
    put("XDG_DATA_HOME", saved[0] ? saved[0]->c_str() : nullptr);
    put("HOME", saved[1] ? saved[1]->c_str() : nullptr);
}
