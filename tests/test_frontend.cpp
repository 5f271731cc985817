// The intro story and the credits on the headless display, whole sequences on its virtual clock:
// the dissolve and its mark on the title, the typing, what ends the intro and what does not, the
// galaxy it hands to the game, and the credits' entries, their quotes and the ways out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "game/core/console.h"
#include "game/core/files.h"
#include "game/core/input.h"
#include "game/core/randutils.h"
#include "game/screens/credits.h"
#include "game/screens/intro.h"
#include "game/screens/mainflow.h"
#include "game/world/universe.h"
#include "game/world/world.h"
#include "tests/game_dir.h"
#include "tests/ui_harness.h"

namespace fs = std::filesystem;

namespace {

PlatformBackend s_backend;
std::function<void(int)> s_onFrame;
int s_frames = 0;

void PresentAndWatch(const PlatformCell *pCells, int cols, int rows)
{
    HeadlessBackend()->Present(pCells, cols, rows);
    ++s_frames;
    if (s_onFrame)
        s_onFrame(s_frames);
}

PlatformInputRecord KeyDown(uint32_t vk)
{
    PlatformInputRecord record = {};
    record.m_kind = PLATFORM_RECORD_KEY;
    record.m_vk = vk;
    return record;
}

PlatformInputRecord Mouse(int x, int y, uint32_t buttons, uint32_t flags = 0)
{
    PlatformInputRecord record = {};
    record.m_kind = PLATFORM_RECORD_MOUSE;
    record.m_x = x;
    record.m_y = y;
    record.m_buttons = buttons;
    record.m_flags = flags;
    return record;
}

// A row's text without the blanks around it.
std::string Trimmed(int y)
{
    std::string row = HeadlessRowText(y);
    size_t first = row.find_first_not_of(' ');
    return first == std::string::npos ? "" : row.substr(first, row.find_last_not_of(' ') - first + 1);
}

const int STORY_ROW = 33;  // the screen's centre row, half the smallest planet, three rows more

// The front end as the program has it after start-up: the pictures loaded from a game directory,
// a headless 80 x 50 display whose frames the test watches.
class FrontEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldDir = fs::current_path();
        fs::current_path(m_dir.Run());
        m_pUi = new UiHarness();
        s_backend = *HeadlessBackend();
        s_backend.Present = PresentAndWatch;
        PlatformInstall(&s_backend);
        s_frames = 0;
        s_onFrame = nullptr;
        LoadFrontEndPictures();
    }
    void TearDown() override
    {
        s_onFrame = nullptr;
        UniverseDestroy(&m_pUniverse);
        FreeFrontEndPictures();
        delete m_pUi;
        fs::current_path(m_oldDir);
    }

    GameDirectory m_dir;
    fs::path m_oldDir;
    UiHarness *m_pUi = nullptr;
    Universe *m_pUniverse = nullptr;
};

// The stars' blank cells let the background under them show: it must be black, not whatever
// the new surface's cells held before.
TEST_F(FrontEnd, TheTitleBackgroundIsBlackBehindItsStars)
{
    int coloured = 0;
    for (int i = 0; i < g_pTitleBg->m_nWidth * g_pTitleBg->m_nHeight; i++)
        coloured += (g_pTitleBg->m_pCells[i].m_attr >> 4) != 0;
    EXPECT_EQ(coloured, 0);
}

TEST_F(FrontEnd, TheDissolveTakes75FramesAndLeavesTheTitleInSolidBlocks)
{
    Surface *pTitle = g_ppFixed[0];
    unsigned char background = pTitle->m_pCells[0].m_attr;
    int letter = 0;  // a cell of the lettering
    while (pTitle->m_pCells[letter].m_attr == background)
        letter++;
    int x = g_screenCentre.m_x - pTitle->m_nWidth / 2 + letter % pTitle->m_nWidth, y = letter / pTitle->m_nWidth;
    std::vector<unsigned char> shades, pictured;  // the cell on screen and in the picture, each frame
    s_onFrame = [&](int frame) {
        shades.push_back(HeadlessCellAt(x, y).m_ch);
        pictured.push_back(pTitle->m_pCells[letter].m_ch);
        if (frame == 80)
            HeadlessPressKey('A');
    };
    RunIntro(&m_pUniverse);

    // 24 frames of the dark shade, 25 of the light, 25 of the dot, and the 75th turns the picture
    // into its last shade, which is never shown.
    struct { int from, to; unsigned char shade; } runs[] = {{0, 24, 0xB2}, {24, 49, 0xB0}, {49, 74, 0xFA}};
    for (auto run : runs) {
        for (int i = run.from; i < run.to; i++) {
            EXPECT_EQ(shades[(size_t)i], run.shade) << "frame " << i + 1;
            EXPECT_EQ(pictured[(size_t)i], run.shade) << "frame " << i + 1;
        }
    }
    EXPECT_EQ(pictured[74], 0xAF);
    EXPECT_EQ(std::count(shades.begin(), shades.end(), 0xAF), 0);

    int solid = 0;
    for (int i = 0; i < pTitle->m_nWidth * pTitle->m_nHeight; i++) {
        Cell cell = pTitle->m_pCells[i];
        if (cell.m_attr == background)
            continue;
        solid++;
        EXPECT_EQ(cell.m_attr >> 4, cell.m_attr & 0x0F) << "cell " << i;
        EXPECT_EQ(cell.m_ch, 0xAF) << "cell " << i;
    }
    EXPECT_GT(solid, 100);
    // The title screen shows the title that way from now on.
    HeadlessMoveMouse(0, 0);
    PollInput();
    TitleScreenAnimation(nullptr);
    PresentScreen(g_pScreen);
    EXPECT_EQ(HeadlessCellAt(x, y).m_ch, 0xAF);
    EXPECT_EQ(HeadlessCellAt(x, y).m_attr & 0x0F, pTitle->m_pCells[letter].m_attr & 0x0F);
}

TEST_F(FrontEnd, TheFirstLineIsTypedEveryThirdFrameCentredAndHeld)
{
    const std::string line = g_introStory[0].m_pText;  // "THE FUTURE", ten characters
    std::vector<std::string> first, second;           // the group's two rows, frame by frame
    bool bDone = false;
    s_onFrame = [&](int) {
        std::string row = Trimmed(STORY_ROW);
        if (bDone || row.empty() || !line.starts_with(row))
            return;
        first.push_back(row);
        second.push_back(Trimmed(STORY_ROW + 1));
        if (row == line) {
            EXPECT_EQ(HeadlessRowText(STORY_ROW).find('T'), (size_t)(g_screenCentre.m_x - 5));
        }
        if (second.back().size() > 1) {
            bDone = true;
            HeadlessPressKey(27);
        }
    };
    RunIntro(&m_pUniverse);
    ASSERT_TRUE(bDone);
    first.pop_back();  // the frame the second line grew in
    // A character every third frame; the whole line for its last three typing frames, its hold
    // of 65 and the second line's first three.
    for (size_t k = 1; k <= line.size(); k++) {
        if (line[k - 1] == ' ')
            continue;  // shows as the word before it, which then stands for six frames
        size_t frames = k == line.size() ? 3 + 65 + 3 : line[k] == ' ' ? 6 : 3;
        EXPECT_EQ((size_t)std::count(first.begin(), first.end(), line.substr(0, k)), frames) << k << " characters";
    }
    EXPECT_EQ(first.size(), line.size() * 3 + 65 + 3);
    EXPECT_EQ(second.back(), "TH");
}

// Skipping: what ends the intro after the frame that read it, and what a skip leaves behind. A
// skip once the galaxy exists is played through the main menu (test_mainflow.cpp).
TEST_F(FrontEnd, AKeyOrAButtonEndsTheIntroAtAnyPhaseAMotionDoesNot)
{
    struct Case {
        const char *what;
        int atFrame;               // the frame after which the record arrives
        PlatformInputRecord record;
        bool ends;
    } cases[] = {
        {"a key in the dissolve", 10, KeyDown('X'), true},
        {"Escape in the zoom", 200, KeyDown(27), true},
        {"a left press in the story", 700, Mouse(3, 3, PLATFORM_BUTTON_LEFT), true},
        {"a right press in the dissolve", 5, Mouse(3, 3, PLATFORM_BUTTON_RIGHT), true},
        {"a motion with no button", 20, Mouse(5, 5, 0, PLATFORM_MOUSE_MOVED), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        HeadlessSetFullScreen(1);  // the game would draw its own pointer, but not over the story
        Surface *pCursor = g_pCursorSprite->m_pSurface;
        g_bMenuLatch = 1;
        int sentAt = 0, pointers = 0;
        s_onFrame = [&](int frame) {
            pointers += HeadlessCellAt(g_pCursorSprite->m_x + 1, g_pCursorSprite->m_y + 1).m_ch == 197;
            if (frame == c.atFrame) {
                sentAt = frame;
                HeadlessPushInput(c.record);
            } else if (sentAt && frame == sentAt + 5) {
                HeadlessPressKey('Q');
            }
        };
        RunIntro(&m_pUniverse);
        EXPECT_EQ(s_frames, sentAt + (c.ends ? 1 : 6));
        EXPECT_EQ(pointers, 0);
        EXPECT_EQ(g_pCursorSprite->m_pSurface, pCursor);
        EXPECT_EQ(g_inputState.m_nButtons, 0u);
        EXPECT_EQ(g_bMenuLatch, 0);
        EXPECT_EQ(m_pUniverse, nullptr);  // the game will make its galaxy itself
    }
}

TEST_F(FrontEnd, TheIntroRunsOncePerRun)
{
    s_onFrame = [](int frame) {
        if (frame == 3)
            HeadlessPressKey('A');
    };
    RunIntro(&m_pUniverse);
    int frames = s_frames;
    RunIntro(&m_pUniverse);
    EXPECT_EQ(s_frames, frames);
}

// The credits: which entry is on screen, and which of its quotes.
int EntryOnScreen()
{
    for (int e = 0; e < CREDIT_ENTRIES; e++) {
        if (HeadlessRowText(2).find(std::string(g_credits[e].m_pTitle, 10)) != std::string::npos)
            return e;
    }
    return -1;
}

int QuoteOnScreen(int entry)
{
    for (int q = 0; q < g_credits[entry].m_cQuote; q++) {
        std::string start(g_credits[entry].m_ppQuotes[q], 16);
        int x, y;
        if (HeadlessFindText(start.c_str(), &x, &y))
            return q;
    }
    return -1;
}

TEST_F(FrontEnd, TheCreditsShowFiveEntriesInOrderAndCloseByThemselves)
{
    std::vector<int> entries;
    s_onFrame = [&](int) {
        int entry = EntryOnScreen();
        if (entry >= 0 && (entries.empty() || entries.back() != entry))
            entries.push_back(entry);
    };
    EXPECT_EQ(ShowCredits(), 0);
    EXPECT_EQ(entries, (std::vector<int>{0, 1, 2, 3, 4}));
    // Each entry: 83 frames in, 399 standing, 78 out and one to change entries; then the last present.
    EXPECT_EQ(s_frames, CREDIT_ENTRIES * (83 + 399 + 78 + 1) + 1);
}

TEST_F(FrontEnd, TheStandingEntryShowsItsPortraitAtTheLeftAndItsTextAtColumn50)
{
    Surface *pPortrait = nullptr;
    s_onFrame = [&](int frame) {
        if (frame != 83 + 200)
            return;
        // The body's top-left cell lies at (-1, -1): the portrait's column 1 is the screen's 0.
        pPortrait = LoadSurfaceFile(g_credits[0].m_pPortrait);
        for (int i = 0; i < pPortrait->m_nWidth * pPortrait->m_nHeight; i++) {
            PlatformCell shown = HeadlessCellAt(i % pPortrait->m_nWidth, i / pPortrait->m_nWidth);
            ASSERT_EQ(shown.m_ch, pPortrait->m_pCells[i].m_ch) << i;
            ASSERT_EQ(shown.m_attr, pPortrait->m_pCells[i].m_attr) << i;
        }
        int x, y;
        ASSERT_EQ(HeadlessFindText("The World Builder", &x, &y), 1);
        EXPECT_EQ(x, 50);
        EXPECT_EQ(y, 2);
        HeadlessPressKey(27);
    };
    EXPECT_EQ(ShowCredits(), 0);
    EXPECT_NE(pPortrait, nullptr);
    DestroySurface(&pPortrait);
}

TEST_F(FrontEnd, AKeyOrAClickClosesTheCreditsAtOnceAMotionDoesNot)
{
    struct Case {
        const char *what;
        PlatformInputRecord record;
        bool closes;
    } cases[] = {
        {"Escape", KeyDown(27), true},
        {"any key", KeyDown('C'), true},
        {"a left click", Mouse(40, 20, PLATFORM_BUTTON_LEFT), true},
        {"a right click", Mouse(1, 48, PLATFORM_BUTTON_RIGHT), true},
        {"a motion", Mouse(40, 20, 0, PLATFORM_MOUSE_MOVED), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        s_frames = 0;
        s_onFrame = [&](int frame) {
            if (frame == 100) {
                HeadlessPushInput(c.record);
                HeadlessPushInput(PlatformInputRecord{});  // the key's or the button's release
            }
            if (frame == 110)
                HeadlessPressKey(27);
        };
        EXPECT_EQ(ShowCredits(), 0);
        EXPECT_EQ(s_frames, c.closes ? 102 : 112);
        EXPECT_EQ(g_inputState.m_nButtons, 0u);
    }
}

// Each opening draws its quotes afresh from the game's generator, one draw per entry in order.
TEST_F(FrontEnd, EveryOpeningOfTheCreditsChoosesItsQuotesAgain)
{
    // A seed whose two openings give entry 2 different quotes.
    unsigned seed = 1;
    int expected[2] = {0, 0};
    for (;; seed++) {
        RandSeed(seed);
        for (int opening = 0; opening < 2; opening++)
            for (int e = 0; e < CREDIT_ENTRIES; e++) {
                int q = RandInt(g_credits[e].m_cQuote);
                if (e == 1)
                    expected[opening] = q;
            }
        if (expected[0] != expected[1])
            break;
    }
    RandSeed(seed);
    for (int opening = 0; opening < 2; opening++) {
        int shown = -1;
        s_onFrame = [&](int) {
            if (shown < 0 && EntryOnScreen() == 1 && QuoteOnScreen(1) >= 0) {
                shown = QuoteOnScreen(1);
                HeadlessPressKey(27);
            }
        };
        ShowCredits();
        EXPECT_EQ(shown, expected[opening]) << "opening " << opening + 1;
    }
}

}  // namespace
