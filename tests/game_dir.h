// game_dir: a scratch working directory laid out as the play command lays out run/: the star
// tile beside the program, every picture one level up in assets/. Removed with the object.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

class GameDirectory {
public:
    GameDirectory()
    {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/vostrel-game-XXXXXX";
        if (!mkdtemp(pattern))
            ADD_FAILURE() << "no scratch directory";
        m_root = pattern;
        fs::create_directories(Run());
        fs::create_directories(m_root / "assets");
        fs::path assets = fs::path(VOSTREL_SOURCE_DIR) / "assets";
        for (const auto &entry : fs::directory_iterator(assets)) {
            if (entry.path().extension() == ".v_s")
                fs::copy_file(entry.path(), m_root / "assets" / entry.path().filename());
        }
        fs::copy_file(assets / "dialogbg.v_s", Run() / "dialogbg.v_s");
    }
    ~GameDirectory() { std::filesystem::remove_all(m_root); }

    // The working directory the game starts in.
    std::filesystem::path Run() const { return m_root / "run"; }

private:
    std::filesystem::path m_root;
};
