// The program a player starts, run on the headless display: start-up, the main menu over the
// moving title, NEW GAME into the game screen, the in-game menu on Escape, QUIT GAME from either
// menu, frame pacing. The test reacts to what each presented frame shows, as a player would.
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "game/core/console.h"
#include "game/screens/intro.h"
#include "game/screens/mainflow.h"
#include "game/screens/saveslots.h"
#include "game/ui/window.h"
#include "game/world/savefile.h"
#include "platform/headless.h"
#include "tests/frame_watch.h"
#include "tests/game_dir.h"
#include "tests/world/motion_world.h"

namespace fs = std::filesystem;

namespace {

bool Shows(const char *pLabel)
{
    int x, y;
    return HeadlessFindText(pLabel, &x, &y) == 1;
}

// Clicks the middle of a label on the frame just presented.
void ClickLabel(const char *pLabel)
{
    int x = 0, y = 0;
    ASSERT_EQ(HeadlessFindText(pLabel, &x, &y), 1) << pLabel << "\n" << HeadlessScreenText();
    HeadlessClick(x + (int)strlen(pLabel) / 2, y);
}

int WelcomeCount() { return motion_test::CountMessages("Welcome to Vostrel!"); }

// What a frame shows, as one letter: M the main menu, I the in-game menu, G the game screen,
// B a message box, S the save slots, ? anything else; the first mark found decides.
char ScreenKind()
{
    const struct { const char *pMark; char kind; } marks[] = {
        {" OK ", 'B'}, {"Saving...", '?'}, {"Loading...", '?'}, {"Save Slot ", 'S'},
        {"CREDITS", 'M'}, {"SAVE GAME", 'I'}, {"End Turn", 'G'}};
    for (const auto &m : marks)
        if (Shows(m.pMark))
            return m.kind;
    return '?';
}

// Which of the six title pictures is on screen, or -1: the solid letter cells are compared, whose
// colours differ between the pictures.
int TitleShown()
{
    for (int k = 0; k < FIXED_PICTURES; k++) {
        Surface *pPicture = g_ppFixed[k];
        int x0 = g_screenCentre.m_x - pPicture->m_nWidth / 2;
        bool bSame = true;
        for (int i = 0; i < pPicture->m_nWidth * pPicture->m_nHeight && bSame; i++) {
            Cell cell = pPicture->m_pCells[i];
            if ((cell.m_attr >> 4) != (cell.m_attr & 0x0F) && cell.m_ch == 0xDB)
                bSame = HeadlessCellAt(x0 + i % pPicture->m_nWidth, i / pPicture->m_nWidth).m_attr == cell.m_attr;
        }
        if (bSame)
            return k;
    }
    return -1;
}

// The game is started from a working directory with the star tile, its pictures one level up, as
// the play command arranges it.
class MainFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldDir = fs::current_path();
        fs::current_path(m_dir.Run());
        HeadlessInstall(80, 50);
        WatchFrames();
        MessagesClear();
    }

    void TearDown() override
    {
        ExitRoutine();
        s_onFrame = nullptr;
        MessagesClear();
        fs::current_path(m_oldDir);
    }

    // A player's moves in order, each made on the first frame of its screen that the player is
    // ready to act on: the last input taken and, after a click that changes the screen, the
    // screen changed (and, where ready is given, once it holds too). The story after NEW GAME is
    // not what these tests watch: a key skips it. Every frame is noted; the program must exit 0
    // having made all the moves. With bCapture, what it prints is kept in m_output (and so are the
    // test's own failure reports, which also go to standard output).
    struct Step {
        char kind;
        std::function<void()> act;
        std::function<bool()> ready = nullptr;
    };
    void Play(const std::vector<Step> &steps, bool bCapture = false)
    {
        size_t next = 0;
        int idleFrames = 0;
        s_onFrame = [&](int) {
            // A step that never comes would leave the program running for ever: end it loudly.
            if (++idleFrames > 20000) {
                fprintf(stderr, "stalled before step %zu of %zu, screens %s\n", next + 1, steps.size(), m_timeline.c_str());
                _exit(1);
            }
            char kind = ScreenKind();
            if (kind != '?' && (m_timeline.empty() || m_timeline.back() != kind))
                m_timeline += kind;
            if (HeadlessPendingInput())
                return;
            if (kind == '?' && m_bWaitForChange && m_kindAtClick == 'M')
                HeadlessPressKey(' ');
            if (m_bWaitForChange && (kind == m_kindAtClick || kind == '?'))
                return;
            m_bWaitForChange = false;
            if (next < steps.size() && kind == steps[next].kind && (!steps[next].ready || steps[next].ready())) {
                steps[next++].act();
                idleFrames = 0;
            }
        };
        if (bCapture)
            testing::internal::CaptureStdout();
        EXPECT_EQ(VostrelMain(), 0);
        fflush(stdout);
        if (bCapture)
            m_output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(next, steps.size()) << m_timeline << m_output;
        s_onFrame = nullptr;
    }
    void ClickAndWait(const char *pLabel, char kind)
    {
        ClickLabel(pLabel);
        m_bWaitForChange = true;
        m_kindAtClick = kind;
    }

    // The screens the player saw in order, with repeats and passing frames folded: "MGIG".
    std::string m_timeline;
    bool m_bWaitForChange = false;
    char m_kindAtClick = 0;
    GameDirectory m_dir;
    fs::path m_oldDir;
    std::string m_output;
};

// Start-up in order, the menu over the title, which follows the pointer's row, the credits over
// the menu (Escape leaves them), and QUIT GAME.
TEST_F(MainFlow, StartsUpInOrderShowsTheMenuUnderATitleFollowingThePointerAndTheCreditsAndQuits)
{
    int stateAfterCredits = 0;
    std::vector<int> titles;
    std::vector<Step> steps = {{'M', [] {
        // The title, the menu and the makers' line at the bottom.
        EXPECT_NE(HeadlessRowText(1).find("██"), std::string::npos) << HeadlessScreenText();
        int x = 0, y = 0;
        EXPECT_TRUE(HeadlessFindText(g_copyrightLine, &x, &y) == 1 && x == 5 && y == 49) << x << "," << y;
        EXPECT_TRUE(Shows("NEW GAME") && Shows("LOAD GAME") && !Shows("SAVE GAME"));
        HeadlessMoveMouse(79, 0);
    }}};
    for (int row = 1; row <= 10; row++)  // the picture for the row before, then on to the next
        steps.push_back({'M', [&, row] {
                             titles.push_back(TitleShown());
                             row < 10 ? HeadlessMoveMouse(79, row) : ClickLabel("CREDITS");
                         }});
    steps.push_back({'?', [] { HeadlessPressKey(27); }, [] { return Shows("The World Builder"); }});
    steps.push_back({'M', [&] { stateAfterCredits = g_gameState, ClickLabel("QUIT GAME"); }});
    Play(steps, true);
    // Rows 0 to 9 of a ten-row title: the plain title, the five variants down the rows, the plain again.
    EXPECT_EQ(titles, (std::vector<int>{0, 0, 1, 2, 2, 3, 4, 4, 5, 0}));
    EXPECT_EQ(stateAfterCredits, GAME_STATE_CREDITS);
    EXPECT_EQ(g_gameState, GAME_STATE_QUIT);
    EXPECT_EQ(g_pUniverse, nullptr);
    EXPECT_EQ(m_output,
              "Initializing 2D utilities...done.\n"
              "Initializing window manager...done.\n"
              "Initializing input manager...done.\n");
    // The AI's debug file is emptied at every start.
    EXPECT_TRUE(fs::exists("AIDebug.txt"));
    EXPECT_EQ(fs::file_size("AIDebug.txt"), 0u);

    testing::internal::CaptureStdout();
    ExitRoutine();
    ExitRoutine();  // a second run does nothing
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Shutting down window manager...done.\n"
              "Shutting down 2D utilities...done.\n"
              "Shutting down input manager...done.\n");
}

// NEW GAME tells the story while the galaxy is made; a key once it is there starts the game with
// that galaxy, made once, on the galaxy map. (The other tests skip the story at once: the game then
// makes one.) Escape opens and closes the in-game menu and a held Escape does not reopen it; the
// in-game NEW GAME replaces the world (LeakSanitizer checks the old one is gone) and QUIT GAME from
// the in-game menu ends the program with everything freed.
TEST_F(MainFlow, NewGameTellsTheStoryShowsTheGalaxyAndTheInGameMenuReplacesOrEndsIt)
{
    int clickIds = -1, introIds = -1;
    bool bTyped = false;
    // A new game screen says welcome; until then the old one is still on screen.
    Play({{'M', [&] { clickIds = g_nextObjectId, ClickLabel("NEW GAME"); }},
          {'?', [] { HeadlessPressKey(' '); }, [&] {  // the galaxy is there, the game not yet started
               bTyped |= Shows("THE FUTURE");
               introIds = g_nextObjectId;
               return g_pUniverse == nullptr && introIds != clickIds;
           }},
          {'G', [&] {
               EXPECT_EQ(g_nextObjectId, introIds);  // and no second one made
               EXPECT_TRUE(Shows("Company:")) << HeadlessScreenText();  // "Your" wraps above it
               EXPECT_TRUE(Shows("Human"));
               EXPECT_EQ(g_gameState, GAME_STATE_PLAYING);
               EXPECT_EQ(g_viewMode, VIEW_GALAXY);
               // The galaxy map is the main view, scrolled to the player's home: the systems'
               // icons are on screen where the scroll puts them.
               int sx = g_pMainView->m_nScrollX, sy = g_pMainView->m_nScrollY;
               for (int i = 0; i < g_pUniverse->m_cSystem; i++) {
                   System *pSystem = g_pUniverse->m_ppSystem[i];
                   int x = pSystem->m_pos.m_x - sx, y = pSystem->m_pos.m_y - sy;
                   if (x >= 0 && y >= 0 && x + 5 < 63 && y + 5 < 40) {
                       EXPECT_EQ(HeadlessCellAt(x + 2, y + 2).m_ch, pSystem->m_pIcon->m_pCells[12].m_ch);
                   }
               }
               HeadlessPressKey(27);  // opens the menu
           }, [] { return WelcomeCount() == 1; }},
          {'I', [] {
               // Closes it, and then the key stays down: repeats arrive with no release between.
               for (int i = 0; i < 3; i++)
                   HeadlessPushInput(PlatformInputRecord{PLATFORM_RECORD_KEY, 27, 0, 0, 0, 0});
           }},
          {'G', [] {
               EXPECT_EQ(g_bMenuLatch, 1);
               HeadlessPushInput(PlatformInputRecord{});  // let go at last
               HeadlessMoveMouse(10, 10);
           }},
          {'G', [] { HeadlessPressKey(27); }},  // a new press opens it again
          {'I', [&] { ClickAndWait("NEW GAME", 'I'); }},
          {'G', [] { HeadlessPressKey(27); }, [] { return WelcomeCount() == 2; }},
          {'I', [&] { ClickAndWait("QUIT GAME", 'I'); }}});
    EXPECT_EQ(m_timeline, "MGIGIGIG") << m_timeline;
    EXPECT_TRUE(bTyped);
    EXPECT_EQ(WelcomeCount(), 2);
    EXPECT_GT(g_nextObjectId, introIds);  // a second world was generated
    EXPECT_EQ(g_gameState, GAME_STATE_QUIT);
    EXPECT_EQ(g_pUniverse, nullptr);
    EXPECT_EQ(g_ppShipInfo, nullptr);
}

// The player's road through the slots: LOAD with no slot chosen says so; a slot chosen far down
// the list is in view when the list opens again; LOAD GAME from the main menu finds slot 3 empty;
// a new game is saved there from the in-game menu (the slot stays chosen), loaded back over the game in
// play, then damaged: loading it tells what is wrong and the game goes on as it was.
TEST_F(MainFlow, SavesToASlotLoadsItBackAndADamagedSlotLeavesTheGameAsItWas)
{
    std::string saved;
    Universe *pBefore = nullptr;
    SaveSlotForget();
    Play({
        {'M', [&] { ClickAndWait("LOAD GAME", 'M'); }},
        {'S', [&] { ClickAndWait(" LOAD ", 'S'); }},
        {'B', [&] { EXPECT_TRUE(Shows("No save slot was chosen: nothing was loaded.")); ClickAndWait(" OK ", 'B'); }},
        {'M', [&] { ClickAndWait("LOAD GAME", 'M'); }},
        {'S', [&] { EXPECT_TRUE(Shows("(empty)")); HeadlessMoveMouse(30, 20); HeadlessWheel(30, 20, -120); }},
        {'S', [&] { ClickLabel("Save Slot 9"); ClickAndWait(" CANCEL ", 'S'); }},
        {'M', [&] { ClickAndWait("LOAD GAME", 'M'); }},
        {'S', [&] { EXPECT_TRUE(Shows("Save Slot 9")); HeadlessMoveMouse(30, 20); HeadlessWheel(30, 20, 120); }},
        {'S', [&] { ClickLabel("Save Slot 3"); }},
        {'S', [&] { ClickAndWait(" LOAD ", 'S'); }},
        {'B', [&] { EXPECT_TRUE(Shows("Save Slot 3 is empty.")); ClickAndWait(" OK ", 'B'); }},
        {'M', [&] { EXPECT_EQ(g_gameState, GAME_STATE_LOADING); ClickAndWait("NEW GAME", 'M'); }},
        {'G', [&] { g_pUniverse->m_iTurn = 59; HeadlessPressKey(27); }},
        {'I', [&] { ClickAndWait("SAVE GAME", 'I'); }},
        {'S', [&] { ClickAndWait(" SAVE ", 'S'); }},
        {'B', [&] {
             EXPECT_TRUE(Shows("Game saved."));
             saved = motion_test::FileText("vostrel_2.sauce");
             ClickAndWait(" OK ", 'B');
         }},
        {'G', [&] { pBefore = g_pUniverse; HeadlessPressKey(27); }},
        {'I', [&] { ClickAndWait("LOAD GAME", 'I'); }},
        {'S', [&] { EXPECT_TRUE(Shows("  Turn 60 ")) << HeadlessScreenText(); ClickAndWait(" LOAD ", 'S'); }},
        {'G', [&] {
             std::string text;
             char why[SAVE_ERROR_MAX];
             EXPECT_TRUE(WriteUniverse(g_pUniverse, &text, why, sizeof why) == 0 && text == saved);
             pBefore = g_pUniverse;
             std::ofstream("vostrel_2.sauce", std::ios::binary | std::ios::trunc) << saved.substr(0, saved.size() / 2);
             HeadlessPressKey(27);
         }, [&] { return g_pUniverse != pBefore; }},
        {'I', [&] { ClickAndWait("LOAD GAME", 'I'); }},
        {'S', [&] { ClickAndWait(" LOAD ", 'S'); }},
        {'B', [&] {
             EXPECT_TRUE(Shows("Save Slot 3 cannot be loaded")) << HeadlessScreenText();
             ClickAndWait(" OK ", 'B');
         }},
        {'G', [&] { EXPECT_EQ(g_pUniverse, pBefore); HeadlessPressKey(27); }},
        {'I', [&] { ClickAndWait("QUIT GAME", 'I'); }},
    });
    // The game screen shows for a frame between the closing menu and the slots, and between them
    // and a message box.
    EXPECT_EQ(m_timeline, "MSBMSMSBMGIGSGBGIGSGIGSGBGIG") << m_timeline;
}

TEST_F(MainFlow, AGameLoopRunningLateDropsFramesInsteadOfBursting)
{
    std::vector<uint32_t> presents;  // when each game frame before Escape was shown
    std::vector<Step> steps = {{'M', [&] { ClickAndWait("NEW GAME", 'M'); }}};
    for (int i = 1; i <= 12; i++)
        steps.push_back({'G', [&, i] {
                             presents.push_back(HeadlessClock());
                             if (i == 5)
                                 HeadlessSetClock(HeadlessClock() + 100);  // this frame took 100 ms
                             else
                                 i < 12 ? HeadlessMoveMouse(10, 10 + i) : HeadlessPressKey(27);
                         }});
    steps.push_back({'I', [&] { ClickAndWait("QUIT GAME", 'I'); }});
    Play(steps);
    ASSERT_EQ(presents.size(), 12u);
    for (size_t i = 1; i < 12; i++)  // the late frame's successor waits for the next whole frame
        EXPECT_EQ(presents[i] - presents[i - 1], i == 5 ? 112u : 16u) << "frame " << i;
}

}  // namespace
