// The intro story and the credits on the headless display, whole sequences on its virtual clock.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include "game/core/files.h"
#include "game/core/randutils.h"
#include "game/screens/credits.h"
#include "game/screens/intro.h"
#include "game/screens/mainflow.h"
#include "game/world/universe.h"
#include "tests/frame_watch.h"
#include "tests/game_dir.h"
#include "tests/ui_harness.h"

namespace fs = std::filesystem;

namespace {

PlatformInputRecord Record(int kind, uint32_t vkOrButtons, uint32_t flags = 0)
{
    return {kind, vkOrButtons, 20, 20, kind == PLATFORM_RECORD_MOUSE ? vkOrButtons : 0, flags};
}

std::string Trimmed(int y)
{
    std::string row = HeadlessRowText(y);
    size_t first = row.find_first_not_of(' ');
    return first == std::string::npos ? "" : row.substr(first, row.find_last_not_of(' ') - first + 1);
}

// The front end as start-up leaves it: the pictures loaded from a game directory, a headless
// 80 x 50 display whose frames the test watches.
class FrontEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldDir = fs::current_path();
        fs::current_path(m_dir.Run());
        m_pUi = new UiHarness();
        WatchFrames();
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

// The title dissolves in 75 frames into solid blocks; then the story's first line is typed, a
// character every third frame, centred, and held before the second line begins.
TEST_F(FrontEnd, TheDissolveTakes75FramesToSolidBlocksThenTheFirstLineIsTypedEveryThirdFrameAndHeld)
{
    // The stars' blank cells show what lies under them, which must be black.
    for (int i = 0; i < g_pTitleBg->m_nWidth * g_pTitleBg->m_nHeight; i++)
        ASSERT_EQ(g_pTitleBg->m_pCells[i].m_attr >> 4, 0) << i;
    Surface *pTitle = g_ppFixed[0];
    int letter = 0;
    while (pTitle->m_pCells[letter].m_attr == pTitle->m_pCells[0].m_attr)
        letter++;
    int x = g_screenCentre.m_x - pTitle->m_nWidth / 2 + letter % pTitle->m_nWidth, y = letter / pTitle->m_nWidth;
    std::vector<unsigned char> shown, pictured;  // a letter's cell of the title, frame by frame
    const std::string line = g_introStory[0].m_pText;  // "THE FUTURE", ten characters
    std::vector<std::string> first;                    // the story row, frame by frame
    bool bDone = false;
    s_onFrame = [&](int frame) {
        if (frame <= 80) {
            shown.push_back(HeadlessCellAt(x, y).m_ch);
            pictured.push_back(pTitle->m_pCells[letter].m_ch);
        }
        std::string row = Trimmed(33);  // the centre row, half the smallest planet and three more
        if (bDone || row.empty() || !line.starts_with(row))
            return;
        if (row == line) {
            EXPECT_EQ(HeadlessRowText(33).find('T'), (size_t)(g_screenCentre.m_x - 5));
        }
        bDone = Trimmed(34) == "TH";  // the second line goes on once the first has stood
        if (bDone)
            HeadlessPressKey(27);
        else
            first.push_back(row);
    };
    RunIntro(&m_pUniverse);
    // 24 frames of the dark shade, 25 of the light, 25 of the dot; the 75th ends it unseen.
    for (int i = 0; i < 74; i++) {
        unsigned char shade = i < 24 ? 0xB2 : i < 49 ? 0xB0 : 0xFA;
        EXPECT_EQ(shown[(size_t)i], shade) << "frame " << i + 1;
        EXPECT_EQ(pictured[(size_t)i], shade) << "frame " << i + 1;
    }
    EXPECT_EQ(pictured[74], 0xAF);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 0xAF), 0);
    for (int i = 0; i < pTitle->m_nWidth * pTitle->m_nHeight; i++) {
        Cell cell = pTitle->m_pCells[i];
        bool bSolid = cell.m_ch == 0xAF && cell.m_attr >> 4 == (cell.m_attr & 0x0F);
        ASSERT_TRUE(bSolid || cell.m_attr == pTitle->m_pCells[0].m_attr) << i;
    }
    ASSERT_TRUE(bDone);
    EXPECT_EQ(first.size(), line.size() * 3 + 65 + 3);
    for (size_t k = 1; k <= line.size(); k++) {
        if (line[k - 1] == ' ')
            continue;  // a prefix ending in a blank shows as the word before it
        EXPECT_EQ((size_t)std::count(first.begin(), first.end(), line.substr(0, k)),
                  k == line.size() ? 3 + 65 + 3 : line[k] == ' ' ? 6 : 3) << k;
    }
    TitleScreenAnimation(nullptr);  // and the title screen shows it so from now on
    PresentScreen(g_pScreen);
    EXPECT_EQ(HeadlessCellAt(x, y).m_ch, 0xAF);
}

// What ends the intro or the credits after the frame that read it: a key or a button, not a
// motion. The intro draws no pointer; skipped before the galaxy exists, it leaves none (a skip
// after that is played from the main menu, in test_mainflow.cpp).
TEST_F(FrontEnd, AKeyOrAButtonEndsTheIntroAndTheCreditsAMotionDoesNot)
{
    struct { bool bCredits; int atFrame; PlatformInputRecord record; bool ends; } cases[] = {
        {false, 10, Record(PLATFORM_RECORD_KEY, 'X'), true},
        {false, 200, Record(PLATFORM_RECORD_KEY, 27), true},
        {false, 700, Record(PLATFORM_RECORD_MOUSE, PLATFORM_BUTTON_LEFT), true},
        {false, 5, Record(PLATFORM_RECORD_MOUSE, PLATFORM_BUTTON_RIGHT), true},
        {false, 20, Record(PLATFORM_RECORD_MOUSE, 0, PLATFORM_MOUSE_MOVED), false},
        {true, 100, Record(PLATFORM_RECORD_KEY, 27), true},
        {true, 100, Record(PLATFORM_RECORD_KEY, 'C'), true},
        {true, 100, Record(PLATFORM_RECORD_MOUSE, PLATFORM_BUTTON_LEFT), true},
        {true, 100, Record(PLATFORM_RECORD_MOUSE, PLATFORM_BUTTON_RIGHT), true},
        {true, 100, Record(PLATFORM_RECORD_MOUSE, 0, PLATFORM_MOUSE_MOVED), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << (c.bCredits ? "credits " : "intro ") << c.atFrame);
        TearDown();
        SetUp();
        HeadlessSetFullScreen(1);  // where the game draws its own pointer
        Surface *pCursor = g_pCursorSprite->m_pSurface;
        g_bMenuLatch = 1;
        int pointers = 0;
        s_onFrame = [&](int frame) {
            pointers += HeadlessCellAt(g_pCursorSprite->m_x + 1, g_pCursorSprite->m_y + 1).m_ch == 197;
            if (frame == c.atFrame) {
                HeadlessPushInput(c.record);
                HeadlessPushInput(PlatformInputRecord{});  // its release
            } else if (frame == c.atFrame + 5) {
                HeadlessPressKey('Q');
            }
        };
        if (c.bCredits)
            EXPECT_EQ(ShowCredits(), 0);
        else
            RunIntro(&m_pUniverse);
        EXPECT_EQ(s_frames, c.atFrame + (c.ends ? 1 : 6) + c.bCredits);  // the credits present once more
        EXPECT_EQ(g_inputState.m_nButtons, 0u);
        EXPECT_EQ(g_bMenuLatch, 0);
        if (c.bCredits)
            continue;
        EXPECT_EQ(pointers, 0);
        EXPECT_EQ(g_pCursorSprite->m_pSurface, pCursor);
        EXPECT_EQ(m_pUniverse, nullptr);  // the game will make its galaxy itself
        RunIntro(&m_pUniverse);           // once per run
        EXPECT_EQ(s_frames, c.atFrame + (c.ends ? 1 : 6));
    }
}

int EntryOnScreen()
{
    for (int e = 0; e < CREDIT_ENTRIES; e++)
        if (HeadlessRowText(2).find(std::string(g_credits[e].m_pTitle, 10)) != std::string::npos)
            return e;
    return -1;
}

// Each opening shows the five entries in order and closes by itself; it draws its quotes afresh
// from the game's generator, one draw per entry in order.
TEST_F(FrontEnd, TheCreditsShowFiveEntriesInOrderCloseByThemselvesAndDrawTheirQuotesAgainAtEachOpening)
{
    unsigned seed = 0;
    int expected[2] = {0, 0};  // entry 2's quote in each opening, for a seed where they differ
    while (expected[0] == expected[1]) {
        RandSeed(++seed);
        for (int draw = 0; draw < 2 * CREDIT_ENTRIES; draw++) {
            int quote = RandInt(g_credits[draw % CREDIT_ENTRIES].m_cQuote);
            if (draw % CREDIT_ENTRIES == 1)
                expected[draw / CREDIT_ENTRIES] = quote;
        }
    }
    RandSeed(seed);
    for (int opening = 0; opening < 2; opening++) {
        std::vector<int> entries;
        int quote = -1, framesBefore = s_frames, x = 0, y = 0;
        s_onFrame = [&](int frame) {
            int entry = EntryOnScreen();
            if (entry >= 0 && (entries.empty() || entries.back() != entry))
                entries.push_back(entry);
            for (int q = 0; q < g_credits[1].m_cQuote && quote < 0 && entry == 1; q++)
                if (HeadlessFindText(std::string(g_credits[1].m_ppQuotes[q], 16).c_str(), &x, &y))
                    quote = q;
            if (frame != 83 + 200)  // the first opening's first entry, standing
                return;
            // The body's top-left cell lies at (-1, -1), so the portrait starts at (0, 0) and the
            // text at column 50.
            Surface *pPortrait = LoadSurfaceFile(g_credits[0].m_pPortrait);
            for (int i = 0; i < pPortrait->m_nWidth * pPortrait->m_nHeight; i++) {
                PlatformCell cell = HeadlessCellAt(i % pPortrait->m_nWidth, i / pPortrait->m_nWidth);
                EXPECT_TRUE(cell.m_ch == pPortrait->m_pCells[i].m_ch && cell.m_attr == pPortrait->m_pCells[i].m_attr) << i;
            }
            DestroySurface(&pPortrait);
            EXPECT_TRUE(HeadlessFindText("The World Builder", &x, &y) && x == 50 && y == 2) << x << "," << y;
        };
        EXPECT_EQ(ShowCredits(), 0);
        EXPECT_EQ(entries, (std::vector<int>{0, 1, 2, 3, 4}));
        // Each entry: 83 frames in, 399 standing, 78 out and one to change; then the closing present.
        EXPECT_EQ(s_frames - framesBefore, CREDIT_ENTRIES * (83 + 399 + 78 + 1) + 1);
        EXPECT_EQ(quote, expected[opening]) << "opening " << opening + 1;
    }
}

}  // namespace
