// The terminal backend in a real terminal: the probe program (tests/tmux/termprobe.cpp) runs in
// an 80x50 tmux pane under an interactive shell. The tests click and type through tmux, read the
// pane back (through libvterm, for the glyphs and colours) and check that every way out leaves
// the terminal as it was, with what the program printed visible afterwards.
#include "tests/tmux_harness.h"

using namespace tmuxh;

TEST(PlatformTmux, ClickArrivesAndQuitGivesTheTerminalBack)
{
    SKIP_WITHOUT_TMUX();
    TmuxPane pane;
    ASSERT_TRUE(pane.Start()) << pane.Capture();
    EXPECT_EQ(pane.Flags(), "1 0 1 1 1 0") << "alternate cursor mouse sgr keypad wrap";
    EXPECT_EQ(pane.Trimmed(pane.Tmux({"display", "-p", "-t", "t", "#{pane_title}"})), "Vostrel");
    // What the probe printed is kept off its screen.
    EXPECT_EQ(pane.Capture().find("termprobe: "), std::string::npos);
    PaneScreen shown(pane.Capture(true));
    shown.ExpectCell(10, 5, 0xC9, 14, 4);  // bright cyan frame on blue
    shown.ExpectCell(23, 7, 0xBC, 14, 4);
    shown.ExpectCell(13, 6, 'C', 11, 4);   // yellow label on blue
    static const unsigned char s_glyphs[] = {0x01, 0x03, 0x18, 0x19, 0x1A, 0x1B, 0xB0, 0xB1,
                                             0xB2, 0xDB, 0xE1, 0xF7, 0x7F, 0x00, 0xFF, 0xFE};
    for (int i = 0; i < 16; i++)
        shown.ExpectCell(10 + i, 30, s_glyphs[i], 9, 12);  // bright red on bright blue
    // (tmux's capture does not always name a black background at the start of a line.)
    EXPECT_EQ(PaneScreen::Index(shown.Cell(10, 31).fg), 10);
    // Press on the label, release beside it but still on the button.
    pane.SendBytes(Sgr(0, 14, 6, 'M') + Sgr(0, 15, 6, 'm'));
    ASSERT_TRUE(pane.WaitFor([&] { return pane.Capture().find("CLICKED") != std::string::npos; })) << pane.Capture();
    PaneScreen(pane.Capture(true)).ExpectCell(10, 10, 'C', 15, 1);  // bright white on red
    EXPECT_NE(pane.Capture().find("last: kind=2 vk=0 x=15 y=6 buttons=00000000 flags=0"), std::string::npos);

    pane.SendKey("q");
    EXPECT_EQ(pane.WaitForExit(), 0) << pane.Capture();
    pane.ExpectSane();
    ExpectInOrder(pane.Capture(), {"termprobe: starting", "termprobe: printed while on screen",
                                   "termprobe: clicked", "termprobe: done", "probe-exit=0"});
}

TEST(PlatformTmux, SigtermExitAssertionAndFaultLeaveTheTerminalSane)
{
    SKIP_WITHOUT_TMUX();
    struct { const char *key; int status; const char *shown; } cases[] = {
        {nullptr, 128 + SIGTERM, nullptr},  // the signal, sent to the probe
        {"x", 3, nullptr},                  // exit(3) with the screen still up
        {"a", 128 + SIGABRT, "Assertion failed: rec.m_vk != 'A', module termprobe, line"},
        {"s", -1, nullptr},                 // a fault: 139, or 1 when the address sanitizer reports it
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status);
        TmuxPane pane;
        ASSERT_TRUE(pane.Start()) << pane.Capture();
        if (c.key) {
            pane.SendKey(c.key);
        } else {
            pid_t pid = pane.ProbePid();
            ASSERT_GT(pid, 0);
            ASSERT_EQ(kill(pid, SIGTERM), 0);
        }
        int status = pane.WaitForExit();
        EXPECT_TRUE(c.status < 0 ? status > 0 : status == c.status) << status;
        pane.ExpectSane();
        std::string text = pane.Capture();
        ExpectInOrder(text, {"termprobe: printed while on screen", "probe-exit="});
        EXPECT_TRUE(!c.shown || text.find(c.shown) != std::string::npos) << text;
    }
}

TEST(PlatformTmux, ShrinkingCtrlZFgAndEnlargingEachRepaintTheWholeScreen)
{
    SKIP_WITHOUT_TMUX();
    TmuxPane pane;
    ASSERT_TRUE(pane.Start()) << pane.Capture();
    auto shows = [&](const char *pText) { return pane.Capture().find(pText) != std::string::npos; };
    pane.Tmux({"resize-window", "-t", "t", "-x", "60", "-y", "30"});
    // Too small for the frame: the notice in its place, nothing of the frame.
    ASSERT_TRUE(pane.WaitFor([&] {
        return shows("This terminal is 60x30.") && shows("Vostrel needs 80x50.") && !shows("Click me");
    })) << pane.Capture();
    pane.SendKey("C-z");
    // The shell sees the probe stop, with the terminal as it was.
    EXPECT_EQ(pane.WaitForExit(), 128 + SIGTSTP) << pane.Capture();
    EXPECT_TRUE(shows("Stopped"));
    pane.ExpectSane();
    pane.ResumeWithFg();
    ASSERT_TRUE(pane.WaitFor([&] { return pane.Flags() == "1 0 1 1 1 0" && shows("Vostrel needs 80x50."); }))
        << pane.Capture();
    pane.Tmux({"resize-window", "-t", "t", "-x", "80", "-y", "50"});
    ASSERT_TRUE(pane.WaitFor([&] { return shows("glyphs above") && shows("Click me") && !shows("Vostrel needs"); }))
        << pane.Capture();
    // Input still arrives after the resume.
    pane.SendBytes(Sgr(0, 14, 6, 'M') + Sgr(0, 14, 6, 'm'));
    ASSERT_TRUE(pane.WaitFor([&] { return shows("CLICKED"); })) << pane.Capture();
    PaneScreen(pane.Capture(true)).ExpectCell(25, 30, 0xFE, 9, 12);
    pane.SendKey("q");
    EXPECT_EQ(pane.WaitForExit("resumed-exit="), 0) << pane.Capture();
    pane.ExpectSane();
    ExpectInOrder(pane.Capture(), {"termprobe: starting", "Stopped", "resumed-exit=", "termprobe: printed while on screen",
                                   "termprobe: clicked", "termprobe: done"});
}
