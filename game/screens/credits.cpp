#include "game/screens/credits.h"

#include <cstdio>
#include <cstdlib>

#include "baseutilities/baseassert.h"
#include "game/core/console.h"
#include "game/core/files.h"
#include "game/core/randutils.h"
#include "game/screens/intro.h"
#include "game/ui/dialog.h"
#include "game/ui/uiutils.h"
#include "game/ui/window.h"

// Who made the game, in the order they are shown. Columns: portrait, title, quotes, quote count.
const CreditEntry g_credits[CREDIT_ENTRIES] = {
    {"../assets/credits_world.v_s",
     "The World Builder \"LEDGER\"\n(world and economy)\n"
     "Made the galaxy generator, planets and colonies, energy and matter, structures, build queues "
     "and the turn cycle.\n\n",
     {"\"Stored resources exceed the maximum, decreasing\"\n - the silos, after a good year",
      "\"Structure queued for construction.\"\n - a Colony, on its best day"},
     2},
    {"../assets/credits_fleets.v_s",
     "The Fleet Admiral \"BROADSIDE\"\n(fleets and battles)\n"
     "Made ships, weapons and armor, fleets and their orders, warp gates, battles and the battle "
     "screens.\n\n",
     {"\"Fleet Stranded! HELP!\"\n - a fleet with empty tanks at a warp gate",
      "\"Fleet exited warp gate.\"\n - the gate log, all night long",
      "\"Insufficient resources to activate warp gate\"\n - a supply officer, twice",
      "\"After being stranded for so long, everyone in your fleet helplessly perished.\"\n"
      " - the last report of a lost fleet"},
     4},
    {"../assets/credits_rivals.v_s",
     "The Rival Mind \"ORACLE\"\n(the computer companies)\n"
     "Made the computer companies: their state machines, their build and attack decisions and the "
     "dump files of what they saw.\n\n",
     {"\"GAME OVER: All of your colonies have been annihilated.\"\n"
      " - the computer companies' favourite message",
      "\"You have insufficient funds to construct this ship.\"\n"
      " - to a computer company that wanted one more fighter"},
     2},
    {"../assets/credits_screens.v_s",
     "The Console Wright \"GLYPH\"\n(terminal and screens)\n"
     "Made cells and pictures, the terminal, input and events, windows, dialogs, panels and the "
     "game screens.\n\n",
     {"\"Welcome to Vostrel!\"\n - the message log, first line of every game",
      "\"This warp gate is not linked to another system.\"\n - the map, to a curious pointer"},
     2},
    {"../assets/credits_story.v_s",
     "The Storyteller \"INKWELL\"\n(pictures and story)\n"
     "Made the title, the stars, these portraits, the intro story and the credits you are "
     "reading.\n\n",
     {"\"THE FUTURE\"\n - the first line of the story",
      "\"IT WILL HAVE TO BE ENOUGH .\"\n - the story, to a company of one planet"},
     2},
};

namespace {
enum {
    TEXT_BUFFER = 5000,          // an entry's title and quote together
    TEXT_ATTR = 0x0B,
    PORTRAIT_ROW = 1,
    TEXT_ROW = 3,
    FRAME_LEFT_OF_CENTRE = 41,
    FRAME_ABOVE_CENTRE = 26,
    OK_COLUMN = 37,              // the " OK " button in the frame's coordinates
    OK_ROW = 53,
};

// What an opening of the screen shows: loaded and made when it opens, freed when it closes.
Surface *s_ppPortrait[CREDIT_ENTRIES];
Surface *s_ppText[CREDIT_ENTRIES];  // the title and the chosen quote, wrapped
int s_slide;                        // the entry's column offset, CREDIT_SLIDE_START upwards
int s_pause;                        // frames left standing still
int s_entry;                        // the entry on screen, from 0
}  // namespace

// The title and one quote drawn from the game's generator, wrapped to the text's width.
static Surface *MakeEntryText(const CreditEntry &entry)
{
    char text[TEXT_BUFFER];
    snprintf(text, sizeof text, "%s%s", entry.m_pTitle, entry.m_ppQuotes[RandInt(entry.m_cQuote)]);
    Cell *pCells = MakeCellString(text, TEXT_ATTR);
    Surface *pWrapped = WrapText(pCells, CREDIT_TEXT_WIDTH);
    free(pCells);
    return pWrapped;
}

int CreditsUpdate(Dialog *pDialog)
{
    TitleScreenAnimation(pDialog);
    // The " OK " button lies below the last row of an 80 x 50 screen: a key or a click is the
    // player's way out before the entries have all passed.
    if (FrontEndSkipPressed()) {
        FrontEndTakeSkip();
        return 0;
    }
    if (s_pause == 0) {
        if (s_slide >= CREDIT_SLIDE_END) {
            s_slide = CREDIT_SLIDE_START;
            if (++s_entry >= CREDIT_ENTRIES)
                return 0;
        } else {
            Surface *pBody = pDialog->m_pContent;
            Cell *pFill = &pDialog->m_pStyle->m_pCells[FRAME_FILL];
            FillSurface(pBody, *pFill);
            Coord portraitAt = {s_slide, PORTRAIT_ROW};
            BlitSurface(&portraitAt, pBody, s_ppPortrait[s_entry], nullptr);
            Coord textAt = {pBody->m_nWidth - CREDIT_TEXT_WIDTH - s_slide, TEXT_ROW};
            BlitSurface(&textAt, pBody, s_ppText[s_entry], pFill);
            s_slide++;
        }
    }
    // The entry has come in: it stands still, then goes on from the column after.
    if (s_slide == 2) {
        if (s_pause == 0)
            s_pause = CREDIT_PAUSE_FRAMES;
        else if (s_pause == 1)
            s_slide++;
        s_pause--;
    }
    return pDialog->m_cButtons;
}

int ShowCredits(void)
{
    FrameStyle *pButtonStyle = nullptr, *pFrameStyle = nullptr;
    int rc = CreateBoxStyle(&pButtonStyle, TEXT_ATTR);
    V_ASSERT(rc == 0);
    rc = CreateBoxStyle(&pFrameStyle, TEXT_ATTR);
    V_ASSERT(rc == 0);
    Button *pOk = nullptr;
    Coord okAt = {OK_COLUMN, OK_ROW};
    rc = CreateButton(&pOk, nullptr, nullptr, 0, 0, nullptr, " OK ", 4, pButtonStyle, &okAt, &g_transCell);
    V_ASSERT(rc == 0);
    for (int i = 0; i < CREDIT_ENTRIES; i++)
        s_ppPortrait[i] = LoadSurfaceFile(g_credits[i].m_pPortrait);
    for (int i = 0; i < CREDIT_ENTRIES; i++)
        s_ppText[i] = MakeEntryText(g_credits[i]);
    Surface *pBody = CreateSurface(CREDIT_BODY_WIDTH, CREDIT_BODY_HEIGHT);
    FillSurface(pBody, pFrameStyle->m_pCells[FRAME_FILL]);
    s_slide = CREDIT_SLIDE_START;
    s_pause = 0;
    s_entry = 0;

    // At 80 x 50 the frame hangs over every edge: the body's first column and row are off screen.
    Coord frameAt = {g_screenCentre.m_x - FRAME_LEFT_OF_CENTRE, g_screenCentre.m_y - FRAME_ABOVE_CENTRE};
    Dialog *pDialog = nullptr;
    rc = CreateDialog(&pDialog, pFrameStyle, pBody, &g_transCell, &pOk, 1, &frameAt, CreditsUpdate);
    V_ASSERT(rc == 0);
    Button *pChosen = RunDialog(pDialog);
    int result = pChosen == pOk ? 0 : 1;

    DestroyDialog(&pDialog);
    DestroySurface(&pBody);
    for (int i = 0; i < CREDIT_ENTRIES; i++) {
        DestroySurface(&s_ppPortrait[i]);
        DestroySurface(&s_ppText[i]);
    }
    DestroyButton(&pOk);
    DestroyFrameStyle(&pButtonStyle);
    DestroyFrameStyle(&pFrameStyle);
    return result;
}
