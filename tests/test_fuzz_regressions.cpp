// The fuzz targets' inputs replayed by the ordinary build: every seed, and every input that ever
// made a target fail (fuzz/regressions/), goes through the same harness as under libFuzzer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/picture_harness.h"
#include "fuzz/terminal_input_harness.h"

namespace fs = std::filesystem;

namespace {

// Every kept input in the fuzz directories named, with its file.
std::vector<std::pair<fs::path, std::vector<uint8_t>>> Inputs(const std::vector<std::string> &dirs)
{
    std::vector<std::pair<fs::path, std::vector<uint8_t>>> inputs;
    std::error_code ignored;  // a directory not there yet holds nothing
    for (const std::string &dir : dirs)
        for (const auto &entry : fs::directory_iterator(fs::path(VOSTREL_SOURCE_DIR) / "fuzz" / dir, ignored))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
                std::ifstream in(entry.path(), std::ios::binary);
                inputs.push_back({entry.path(), {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
            }
    return inputs;
}

// In a death test's child: a picture refused by the loader ends in exit(), which counts as a
// pass unless the loader refused the copy the harness wrote; a crash or a sanitizer report fails.
[[noreturn]] void CheckPictureInChild(const std::vector<uint8_t> &bytes)
{
    atexit([] { _exit(g_pictureMayFail ? 0 : 3); });
    PictureInput input;
    if (PictureInputOpen(&input, bytes.data(), bytes.size()))
        PictureInputCheck(&input);
    _exit(0);
}

// The picture children start afresh with an allocation limit far above any picture's needs, so
// that a size taken on trust from a header fails here as it does under libFuzzer's limit.
TEST(FuzzRegressions, EveryKeptPictureLoadsOrIsRefusedCleanly)
{
    ASSERT_FALSE(Inputs({"seeds/picture"}).empty());
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string old = getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "";  // empty is as good as unset
    setenv("ASAN_OPTIONS", (old + ":max_allocation_size_mb=64").c_str(), 1);
    for (const auto &[file, bytes] : Inputs({"seeds/picture", "regressions/picture"}))
        EXPECT_EXIT(CheckPictureInChild(bytes), testing::ExitedWithCode(0), "") << file;
    setenv("ASAN_OPTIONS", old.c_str(), 1);
}

TEST(FuzzRegressions, EveryKeptTerminalInputGivesTheSameRecordsHoweverItIsCut)
{
    ASSERT_FALSE(Inputs({"seeds/terminal_input"}).empty());
    for (const auto &[file, bytes] : Inputs({"seeds/terminal_input", "regressions/terminal_input"}))
        EXPECT_TRUE(TerminalFuzzCheck(bytes.data(), bytes.size())) << file;
}

}  // namespace
