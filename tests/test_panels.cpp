// The information panels and the build dialogs, played through the headless console: what the
// panels show, how a list picks its entry, what BUILD, QUEUE and DONE do, the queue dialog's bars
// and arrows, and the limits a planet puts on building.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "baseutilities/baselist.h"
#include "econ_world.h"
#include "game/fleet.h"
#include "game/panels.h"
#include "game/world.h"
#include "ui_harness.h"

namespace {

// A modal dialog whose script went wrong would wait for input for ever; this turns that into a
// failed run.
class Watchdog {
public:
    explicit Watchdog(int seconds)
        : m_thread([this, seconds] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_cv.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_bDone; })) {
                  fprintf(stderr, "a dialog was still waiting for input after %d s\n", seconds);
                  std::_Exit(3);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bDone = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bDone = false;
    std::thread m_thread;
};

// Dialog geometry on the 80 x 50 screen: the build dialogs' frames sit at (8, 13), so their
// list shows item k on row 15 + 2k from column 10; the queue dialog's frame sits at (13, 13).
const int LIST_X = 12;
int ItemRow(int k) { return 15 + 2 * k; }
const Coord BUILD_AT = {41, 31}, QUEUE_AT = {52, 31}, SHIP_DONE_AT = {63, 31}, LIST_DONE_AT = {62, 31};
const Coord EXIT_AT = {58, 31};
const Coord FIRST_AT = {54, 18}, UP_AT = {54, 20}, DOWN_AT = {54, 22}, LAST_AT = {54, 24};

void Click(Coord at) { HeadlessClick(at.m_x, at.m_y); }
void ClickItem(int k) { HeadlessClick(LIST_X, ItemRow(k)); }

// A row of a surface; the shade that shows through a text's spaces reads as spaces.
std::string Row(const Surface *pSurface, int x, int y, int n)
{
    std::string text;
    for (int i = 0; i < n && x + i < pSurface->m_nWidth; i++) {
        unsigned char ch = pSurface->m_pCells[y * pSurface->m_nWidth + x + i].m_ch;
        text += ch == 0xB2 ? ' ' : (char)ch;
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// Whether any of the recent frames shows the text; as in a body, the shade that shows between
// the words of a panel's text reads as spaces.
bool AnyFrameShows(const char *pText)
{
    for (int back = 0; back < HEADLESS_FRAMES_KEPT; back++) {
        const HeadlessFrame *pFrame = HeadlessGetFrame(back);
        if (!pFrame)
            return false;
        for (int y = 0; y < pFrame->m_rows; y++) {
            std::string row;
            for (int x = 0; x < pFrame->m_cols; x++) {
                unsigned char ch = HeadlessCellAt(x, y, pFrame).m_ch;
                row += ch == 0xB2 ? ' ' : (char)ch;
            }
            if (row.find(pText) != std::string::npos)
                return true;
        }
    }
    return false;
}

int CountLit(Button **ppItems, int count)
{
    int lit = 0;
    for (int i = 0; i < count; i++)
        lit += ppItems[i]->m_bHighlighted ? 1 : 0;
    return lit;
}

class BuildPanels : public SmallWorld {
protected:
    UiHarness m_ui;
    Planet *m_pTerra = nullptr;

    void SetUp() override
    {
        SmallWorld::SetUp();
        m_pTerra = PlanetAt(0);
        PlanetColonize(m_pTerra, m_pHuman);
        g_pSelPlanet = m_pTerra;
        MessagesClear();
    }

    void TearDown() override
    {
        FreeBuildLists();
        ClearEventQueue(&g_eventQueue);
        g_pSelPlanet = nullptr;
        SmallWorld::TearDown();
    }

    void AddToHold(Planet *pPlanet, int type)
    {
        Ship *pShip = nullptr;
        ASSERT_EQ(ShipCreate(&pShip, "Nemo", m_pHuman, type), 0);
        ASSERT_EQ(FleetAddShip(pPlanet->m_pFleet, pShip), 0);
    }

    static int QueueTypeAt(const Structure *pYard, int k)
    {
        const BuildNode *pNode = pYard->m_pQueue->m_pFirst;
        for (int i = 0; i < k && pNode; i++)
            pNode = pNode->m_pNext;
        return pNode ? pNode->m_eType : -1;
    }
};

/* The resources panel and the two information panels. */

TEST_F(BuildPanels, ResourcesPanelShowsBothStoresRightAlignedOverAShadedPatch)
{
    Surface *pBody = CreateSurface(60, 20);
    FillSurface(pBody, Cell{'x', 0x07});
    m_pTerra->m_iEnergy = 1234;
    m_pTerra->m_iMatter = 56;
    DrawResourcesPanel(pBody, m_pTerra);
    EXPECT_EQ(Row(pBody, 1, 16, 24), "Energy:  1234");
    EXPECT_EQ(Row(pBody, 1, 17, 24), "");
    EXPECT_EQ(Row(pBody, 1, 18, 24), "Matter:    56");
    // The patch is 24 x 3 of shade, the text white over it; nothing around it is touched.
    EXPECT_EQ(pBody->m_pCells[17 * 60 + 5].m_ch, 0xB2);
    EXPECT_EQ(pBody->m_pCells[16 * 60 + 1].m_attr, 0x0F);
    EXPECT_EQ(pBody->m_pCells[16 * 60 + 24].m_ch, 0xB2);
    EXPECT_EQ(pBody->m_pCells[16 * 60 + 25].m_ch, 'x');
    EXPECT_EQ(pBody->m_pCells[15 * 60 + 1].m_ch, 'x');
    EXPECT_EQ(pBody->m_pCells[19 * 60 + 1].m_ch, 'x');

    FillSurface(pBody, Cell{'x', 0x07});
    DrawResourcesPanel(pBody, nullptr);
    EXPECT_EQ(Row(pBody, 0, 16, 60), std::string(60, 'x'));
    DestroySurface(&pBody);
}

TEST_F(BuildPanels, ShipPanelShowsClassSpeedFiguresCostsAndTheHold)
{
    AddToHold(m_pTerra, V_TYPE_SHIP_LASER);
    AddToHold(m_pTerra, V_TYPE_SHIP_DRONE);
    AddToHold(m_pTerra, V_TYPE_SHIP_LASER);
    Surface *pBody = CreateSurface(60, 20);
    ShowShipTypeInfo(V_TYPE_SHIP_LASER - V_TYPE_SHIP_DRONE, pBody);

    EXPECT_EQ(Row(pBody, 28, 1, 32), "C-B455 Fighter Class M");
    EXPECT_EQ(Row(pBody, 28, 2, 32), std::string(17, '\xC4') + '\xC2' + std::string(13, '\xC4'));
    EXPECT_EQ(pBody->m_pCells[3 * 60 + 45].m_ch, 0xB3);
    EXPECT_EQ(pBody->m_pCells[13 * 60 + 45].m_ch, 0xB3);
    EXPECT_EQ(Row(pBody, 28, 14, 32), std::string(17, '\xC4') + '\xC1' + std::string(13, '\xC4'));

    const char *info[] = {"Class:", "   Laser", "", "Speed:", "   Moderate", "", "Damage:", "   12", "", "Armor:",
                          "   24"};
    for (int i = 0; i < 11; i++)
        EXPECT_EQ(Row(pBody, 28, 3 + i, 17), info[i]) << "row " << 3 + i;
    const char *costs[] = {"Energy Cost:", "   100", "", "Matter Cost:", "   100", "", "Build Time:", "   4", "",
                           "In Hold:", "   2"};
    for (int i = 0; i < 11; i++)
        EXPECT_EQ(Row(pBody, 47, 3 + i, 13), costs[i]) << "row " << 3 + i;
    EXPECT_EQ(Row(pBody, 1, 16, 24), "Energy:  1000");

    // The slow heavy hull and the probe's own class.
    ShowShipTypeInfo(V_TYPE_MOTHERSHIP_SIEGE - V_TYPE_SHIP_DRONE, pBody);
    EXPECT_EQ(Row(pBody, 28, 4, 17), "   Siege");
    EXPECT_EQ(Row(pBody, 28, 7, 17), "   Slow");
    EXPECT_EQ(Row(pBody, 47, 10, 13), "   30");
    EXPECT_EQ(Row(pBody, 47, 13, 13), "   0");
    ShowShipTypeInfo(0, pBody);
    EXPECT_EQ(Row(pBody, 28, 4, 17), "   Probe");
    EXPECT_EQ(Row(pBody, 47, 13, 13), "   1");
    DestroySurface(&pBody);
}

TEST_F(BuildPanels, ExistingCountsStructuresStandingOnThePlanetOnly)
{
    Build(m_pTerra, V_TYPE_HARVESTER_ENERGY);
    Build(m_pTerra, V_TYPE_HARVESTER_ENERGY);
    Build(m_pTerra, V_TYPE_HARVESTER_ENERGY)->m_bDestroyed = 1;  // lost in battle, not yet cleared
    Build(PlanetAt(1), V_TYPE_HARVESTER_ENERGY);  // another planet's
    ASSERT_EQ(PlanetQueueStructure(m_pTerra, V_TYPE_HARVESTER_ENERGY), 0);  // paid, not standing
    EXPECT_EQ(CountExistingStructures(m_pTerra, V_TYPE_HARVESTER_ENERGY), 2);
    EXPECT_EQ(CountExistingStructures(m_pTerra, V_TYPE_SHIPYARD), 0);

    Surface *pBody = CreateSurface(60, 20);
    ShowStructTypeInfo(0, pBody);
    EXPECT_EQ(Row(pBody, 28, 1, 32), "Structure Type: Harvester");
    EXPECT_EQ(Row(pBody, 28, 3, 17), "Class:");
    EXPECT_EQ(Row(pBody, 28, 4, 17), "   Energy");
    EXPECT_EQ(Row(pBody, 28, 6, 17), "   Using cold");
    const char *costs[] = {"Energy Cost:", "   100", "", "Matter Cost:", "   100", "", "Build Time:", "   3", "",
                           "Existing:", "   2"};
    for (int i = 0; i < 11; i++)
        EXPECT_EQ(Row(pBody, 47, 3 + i, 13), costs[i]) << "row " << 3 + i;
    EXPECT_EQ(Row(pBody, 1, 16, 24), "Energy:   900");
    DestroySurface(&pBody);
}

TEST_F(BuildPanels, StructurePanelsDescribeEachKind)
{
    Surface *pBody = CreateSurface(60, 20);
    ShowStructTypeInfo(2, pBody);
    EXPECT_EQ(Row(pBody, 28, 1, 32), "Structure Type: Shipyard");
    EXPECT_EQ(Row(pBody, 28, 3, 17), "   Shipyards are");
    EXPECT_EQ(Row(pBody, 47, 4, 13), "   500");

    ShowStructTypeInfo(3, pBody);
    EXPECT_EQ(Row(pBody, 28, 1, 32), "Structure Type: Storage Silo");

    ShowStructTypeInfo(7, pBody);
    EXPECT_EQ(Row(pBody, 28, 1, 32), "Structure Type: Satellite");
    const char *heavy[] = {"Class:", "   Heavy", "", "", "", "", "Damage:", "   50", "", "Armor:", "   500"};
    for (int i = 0; i < 11; i++)
        EXPECT_EQ(Row(pBody, 28, 3 + i, 17), heavy[i]) << "row " << 3 + i;
    EXPECT_EQ(Row(pBody, 47, 10, 13), "   5");

    ShowStructTypeInfo(8, pBody);
    EXPECT_EQ(Row(pBody, 28, 4, 17), "   Vavuvur!");
    EXPECT_EQ(Row(pBody, 28, 6, 17), "Incredible power,");
    EXPECT_EQ(Row(pBody, 28, 10, 17), "   255");
    EXPECT_EQ(Row(pBody, 28, 13, 17), "   800");
    EXPECT_EQ(Row(pBody, 47, 10, 13), "   15");
    DestroySurface(&pBody);
}

/* List items. */

TEST_F(BuildPanels, ListItemsStackWithOneEmptyRowBetweenAndLightWhenToggled)
{
    const char *texts[] = {"Robotic Drone", "A name too long for one row", ""};
    Button **ppItems = nullptr;
    ASSERT_EQ(MakeListItems(&ppItems, texts, 3, 23, 12), 0);
    EXPECT_EQ(ppItems[0]->m_pSprite->m_y, 0);
    EXPECT_EQ(ppItems[1]->m_pSprite->m_y, 2);
    EXPECT_EQ(ppItems[1]->m_pSprite->m_pSurface->m_nHeight, 2);
    EXPECT_EQ(ppItems[2]->m_pSprite->m_y, 5);
    EXPECT_EQ(ppItems[0]->m_pSprite->m_pSurface->m_nWidth, 23);
    EXPECT_EQ(Row(ppItems[0]->m_pSprite->m_pSurface, 0, 0, 23), "Robotic Drone");
    EXPECT_EQ(ppItems[0]->m_pSprite->m_pSurface->m_pCells[0].m_attr, 12);
    EXPECT_TRUE(ppItems[0]->m_bSticky);
    ToggleButton(ppItems[0]);
    EXPECT_EQ(ppItems[0]->m_pSprite->m_pSurface->m_pCells[0].m_attr, 0xC0);

    Scroller *pList = nullptr;
    ASSERT_EQ(CreateListView(&pList, ppItems, 3, 23, 24, 14), 0);
    EXPECT_EQ(pList->m_pContent->m_nWidth, 23);
    EXPECT_EQ(pList->m_pContent->m_nHeight, 6);
    EXPECT_EQ(pList->m_pContent->m_pCells[0].m_attr, 0xC0);  // drawn as it looks now
    EXPECT_EQ(pList->m_pContent->m_pCells[23].m_attr, 0x0B);  // the empty row between

    ListSelection sel = {1, 0, 1, ppItems[0]};
    ListSelectionReset(&sel, pList, ppItems, 3);
    EXPECT_EQ(sel.m_iSelected, 3);
    EXPECT_EQ(sel.m_iPrevious, 3);
    EXPECT_EQ(sel.m_pCurrent, nullptr);
    EXPECT_EQ(CountLit(ppItems, 3), 0);
    EXPECT_EQ(pList->m_pContent->m_pCells[0].m_attr, 12);
    DestroyListView(&pList);
    FreeListItems(&ppItems, 3);
    EXPECT_EQ(ppItems, nullptr);
}

/* Picking from a list. */

// A list dialog driven by a test update: HandleListClick with a callback that records when it ran.
struct ListScript {
    static inline Button **s_ppItems = nullptr;
    static inline Scroller *s_pList = nullptr;
    static inline ListSelection s_sel = {};
    static inline int s_frame = 0, s_calls = 0, s_lastIndex = -1, s_callFrame = -1, s_budget = 0;

    static void Picked(int index, Surface *pBody)
    {
        s_calls++;
        s_lastIndex = index;
        s_callFrame = s_frame;
        ShowStructTypeInfo(index, pBody);
    }
    static int Update(Dialog *pDialog)
    {
        s_frame++;
        Coord pos = {pDialog->m_x, pDialog->m_y};
        HandleListClick(pDialog->m_pContent, &pos, s_pList, s_ppItems, BUILD_LIST_ITEMS, &s_sel.m_bPressed,
                        &s_sel.m_pCurrent, &s_sel.m_iSelected, &s_sel.m_iPrevious, Picked);
        return s_frame >= s_budget ? 1 : pDialog->m_cButtons;
    }
    // Runs the build-mode list dialog for the given frames; its items are the structure names.
    static int Run(int frames)
    {
        s_frame = 0;
        s_budget = frames;
        return RunListDialog(s_ppItems, BUILD_LIST_ITEMS, &s_pList, LIST_MODE_BUILD, Update);
    }
    static void Start()
    {
        const char *names[BUILD_LIST_ITEMS];
        for (int i = 0; i < BUILD_LIST_ITEMS; i++)
            names[i] = g_ppStructInfo[i]->m_pName;
        MakeListItems(&s_ppItems, names, BUILD_LIST_ITEMS, 23, 12);
        s_sel = {BUILD_LIST_ITEMS, BUILD_LIST_ITEMS, 0, nullptr};
        s_calls = 0;
        s_lastIndex = s_callFrame = -1;
    }
    static void Stop()
    {
        DestroyListView(&s_pList);
        FreeListItems(&s_ppItems, BUILD_LIST_ITEMS);
    }
};

TEST_F(BuildPanels, ClickingAnEntryChoosesItOnceAtTheReleaseAndLeavesOneLit)
{
    Watchdog watchdog(60);
    ListScript::Start();
    ClickItem(2);
    EXPECT_EQ(ListScript::Run(4), 1);
    EXPECT_EQ(ListScript::s_calls, 1);
    EXPECT_EQ(ListScript::s_lastIndex, 2);
    EXPECT_EQ(ListScript::s_callFrame, 2);  // the press lit it, the release chose it
    EXPECT_EQ(ListScript::s_sel.m_iSelected, 2);
    EXPECT_TRUE(ListScript::s_ppItems[2]->m_bHighlighted);
    EXPECT_TRUE(AnyFrameShows("Structure Type: Shipyard"));

    ClickItem(5);
    ClickItem(5);  // clicking the chosen entry keeps it
    EXPECT_EQ(ListScript::Run(6), 1);
    EXPECT_EQ(ListScript::s_calls, 2);
    EXPECT_EQ(ListScript::s_sel.m_iSelected, 5);
    EXPECT_EQ(CountLit(ListScript::s_ppItems, BUILD_LIST_ITEMS), 1);
    EXPECT_TRUE(ListScript::s_ppItems[5]->m_bHighlighted);
    ListScript::Stop();
}

TEST_F(BuildPanels, APressReleasedOffTheListStillChoosesItsEntry)
{
    Watchdog watchdog(60);
    ListScript::Start();
    HeadlessMoveMouse(LIST_X, ItemRow(1), PLATFORM_BUTTON_LEFT);
    HeadlessMoveMouse(70, 45, PLATFORM_BUTTON_LEFT);
    HeadlessMoveMouse(70, 45, 0);
    EXPECT_EQ(ListScript::Run(5), 1);
    EXPECT_EQ(ListScript::s_calls, 1);
    EXPECT_EQ(ListScript::s_callFrame, 3);
    EXPECT_EQ(ListScript::s_sel.m_iSelected, 1);
    EXPECT_EQ(CountLit(ListScript::s_ppItems, BUILD_LIST_ITEMS), 1);
    ListScript::Stop();
}

TEST_F(BuildPanels, EventsLeftFromBeforeTheDialogDoNotSwallowAClick)
{
    Watchdog watchdog(60);
    ListScript::Start();
    PostMouseEvent(EV_LEFT_BUTTON, 3, 3, 0, 0, g_pScreen, &g_eventQueue);
    PostMouseEvent(EV_MOUSE_UP, 3, 3, 0, 0, g_pScreen, &g_eventQueue);
    ClickItem(4);
    HeadlessDoubleClick(LIST_X, ItemRow(6));  // leaves a second event of the list's own waiting
    ClickItem(0);
    EXPECT_EQ(ListScript::Run(10), 1);
    EXPECT_EQ(ListScript::s_calls, 3);
    EXPECT_EQ(ListScript::s_sel.m_iSelected, 0);
    EXPECT_EQ(g_eventQueue.m_nCount, 0);
    ListScript::Stop();
}

TEST_F(BuildPanels, TheWheelScrollsTheListToItsLastEntries)
{
    Watchdog watchdog(60);
    ListScript::Start();
    HeadlessMoveMouse(LIST_X, ItemRow(3));  // the wheel turns where the pointer is
    HeadlessWheel(LIST_X, ItemRow(3), -120);
    HeadlessClick(LIST_X, 15 + 13);  // the last view row once scrolled to the end: entry 8
    EXPECT_EQ(ListScript::Run(5), 1);
    EXPECT_EQ(ListScript::s_pList->m_nScrollY, 3);
    EXPECT_EQ(ListScript::s_sel.m_iSelected, 8);
    EXPECT_TRUE(AnyFrameShows("Vavuvur!"));
    ListScript::Stop();
}

// The save-slot use of the list dialog: a narrow body, SAVE or LOAD and CANCEL, built afresh each
// time, and no resources panel even with a planet selected.
int s_slotFrames = 0;
Scroller *s_pSlotList = nullptr;
Button **s_ppSlots = nullptr;
ListSelection s_slot = {};
int SlotUpdate(Dialog *pDialog)
{
    Coord pos = {pDialog->m_x, pDialog->m_y};
    HandleListClick(pDialog->m_pContent, &pos, s_pSlotList, s_ppSlots, 10, &s_slot.m_bPressed, &s_slot.m_pCurrent,
                    &s_slot.m_iSelected, &s_slot.m_iPrevious, nullptr);
    return --s_slotFrames <= 0 ? 1 : pDialog->m_cButtons;
}

TEST_F(BuildPanels, SaveAndLoadModesOfferTheirButtonsBesideANarrowList)
{
    Watchdog watchdog(60);
    const char *names[10] = {"Save Slot 1", "Save Slot 2", "Save Slot 3", "Save Slot 4", "Save Slot 5",
                             "Save Slot 6", "Save Slot 7", "Save Slot 8", "Save Slot 9", "Save Slot 10"};
    ASSERT_EQ(MakeListItems(&s_ppSlots, names, 10, 23, 12), 0);
    s_slot = {10, 10, 0, nullptr};
    // The frame is 28 x 22 at (25, 13): the list from (27, 15), SAVE and CANCEL on row 30.
    HeadlessClick(30, ItemRow(2));
    HeadlessClick(30, 31);
    s_slotFrames = 100;
    EXPECT_EQ(RunListDialog(s_ppSlots, 10, &s_pSlotList, LIST_MODE_SAVE, SlotUpdate), 0);
    EXPECT_EQ(s_slot.m_iSelected, 2);
    const HeadlessFrame *pOpen = HeadlessGetFrame(1);
    int x = 0, y = 0;
    ASSERT_TRUE(HeadlessFindText(" SAVE ", &x, &y, pOpen));
    EXPECT_EQ(x, 28);
    EXPECT_EQ(y, 31);
    EXPECT_TRUE(HeadlessFindText(" CANCEL ", &x, &y, pOpen));
    EXPECT_EQ(HeadlessCellAt(25, 13, pOpen).m_ch, 0xC9);
    EXPECT_EQ(HeadlessCellAt(52, 13, pOpen).m_ch, 0xBB);
    EXPECT_FALSE(AnyFrameShows("Energy:"));

    HeadlessClick(45, 31);
    s_slotFrames = 100;
    EXPECT_EQ(RunListDialog(s_ppSlots, 10, &s_pSlotList, LIST_MODE_LOAD, SlotUpdate), 1);
    EXPECT_TRUE(AnyFrameShows(" LOAD "));
    EXPECT_EQ(s_slot.m_iSelected, 2);  // the list and its choice outlive the dialog
    EXPECT_TRUE(s_ppSlots[2]->m_bHighlighted);

    DestroyListView(&s_pSlotList);
    FreeListItems(&s_ppSlots, 10);
}

/* Building structures. */

TEST_F(BuildPanels, BuildStructQueuesTheChosenStructureAtTheColony)
{
    Watchdog watchdog(60);
    m_ui.BuildMainScreen(m_pSystem->m_pMap);
    ClickItem(0);
    Click(BUILD_AT);
    Click(BUILD_AT);
    Click(LIST_DONE_AT);
    RunBuildStruct();

    Structure *pColony = PlanetGetColony(m_pTerra);
    EXPECT_EQ(BuildQueueCount(pColony->m_pQueue), 2);
    EXPECT_EQ(pColony->m_pQueue->m_pFirst->m_eType, V_TYPE_HARVESTER_ENERGY);
    EXPECT_EQ(m_pTerra->m_iEnergy, 800);
    EXPECT_EQ(CountMessages("Structure queued for construction."), 2);
    EXPECT_TRUE(AnyFrameShows("Energy:   800"));
    EXPECT_TRUE(AnyFrameShows("Structure Type: Harvester"));
    EXPECT_EQ(g_structList.m_iSelected, BUILD_LIST_ITEMS);
    // The log below the dialog told the player at once.
    EXPECT_TRUE(AnyFrameShows("Structure queued for"));

    // Reopened, nothing is chosen: BUILD queues nothing.
    Click(BUILD_AT);
    Click(LIST_DONE_AT);
    RunBuildStruct();
    EXPECT_EQ(BuildQueueCount(pColony->m_pQueue), 2);
}

TEST_F(BuildPanels, BuildStructOnAPlanetWithoutAColonyTellsThePlayerAndOpensNothing)
{
    Watchdog watchdog(60);
    Structure *pColony = PlanetGetColony(m_pTerra);
    pColony->m_bDestroyed = 1;  // destroyed in battle this turn, freed at the next update
    int frames = HeadlessFrameCount();
    RunBuildStruct();
    EXPECT_EQ(HeadlessFrameCount(), frames);
    EXPECT_EQ(LastMessage(), "There is no Colony on Terra to build structures.");
    EXPECT_EQ(MessageAttr(MessageCount() - 1), 0x9F);

    ASSERT_EQ(PlanetRemoveStructure(m_pTerra, pColony), 0);
    StructureDestroy(&pColony);
    EXPECT_EQ(PlanetQueueStructure(m_pTerra, V_TYPE_SHIPYARD), 1);
    EXPECT_EQ(CountMessages("There is no Colony on Terra to build structures."), 2);
    EXPECT_EQ(m_pTerra->m_iEnergy, 1000);
}

TEST_F(BuildPanels, NoMoreThanAHundredStructuresStandOrWaitOnAPlanet)
{
    m_pTerra->m_iEnergy = m_pTerra->m_iMatter = 100000;
    while (m_pTerra->m_cStructure < STRUCTURE_MAX - 2)
        Build(m_pTerra, V_TYPE_STORAGE)->m_iParam = 1000000;
    EXPECT_EQ(PlanetQueueStructure(m_pTerra, V_TYPE_HARVESTER_MATTER), 0);
    EXPECT_EQ(PlanetQueueStructure(m_pTerra, V_TYPE_HARVESTER_MATTER), 0);
    EXPECT_EQ(PlanetQueueStructure(m_pTerra, V_TYPE_HARVESTER_MATTER), 1);
    EXPECT_EQ(LastMessage(), "There is no room for more structures on Terra.");
    EXPECT_EQ(BuildQueueCount(PlanetGetColony(m_pTerra)->m_pQueue), 2);
    EXPECT_EQ(m_pTerra->m_iEnergy, 100000 - 200);
}

/* Building ships. */

TEST_F(BuildPanels, AddShipQueuesAtEveryShipyardAndQueueShowsWhatWaits)
{
    Watchdog watchdog(60);
    Structure *pYard = Build(m_pTerra, V_TYPE_SHIPYARD);
    Structure *pYard2 = Build(m_pTerra, V_TYPE_SHIPYARD);
    ClickItem(0);
    Click(BUILD_AT);
    Click(QUEUE_AT);  // the queue holds a drone: it is shown, and the choice is forgotten
    Click(EXIT_AT);
    Click(BUILD_AT);
    Click(SHIP_DONE_AT);
    RunAddShip();

    EXPECT_EQ(BuildQueueCount(pYard->m_pQueue), 1);
    EXPECT_EQ(BuildQueueCount(pYard2->m_pQueue), 1);
    EXPECT_EQ(pYard2->m_pQueue->m_pFirst->m_eType, V_TYPE_SHIP_DRONE);
    EXPECT_EQ(m_pTerra->m_iEnergy, 800);
    EXPECT_EQ(CountMessages("Ship queued for construction."), 2);
    EXPECT_TRUE(AnyFrameShows("Rackham Corp. EG324 Dragon"));
    EXPECT_TRUE(AnyFrameShows(" EXIT "));
    EXPECT_EQ(g_shipList.m_iSelected, BUILD_LIST_ITEMS);
}

TEST_F(BuildPanels, AddShipWithoutAShipyardTellsThePlayer)
{
    Watchdog watchdog(60);
    ClickItem(1);
    Click(BUILD_AT);
    Click(SHIP_DONE_AT);
    RunAddShip();
    EXPECT_EQ(LastMessage(), "There is no Shipyard on Terra to build ships.");
    EXPECT_EQ(m_pTerra->m_iEnergy, 1000);
}

TEST_F(BuildPanels, AFullShipyardQueueTakesNoMoreAndSaysSo)
{
    Structure *pYard = Build(m_pTerra, V_TYPE_SHIPYARD);
    m_pTerra->m_iEnergy = m_pTerra->m_iMatter = 1000000;
    for (int i = 0; i < BUILD_QUEUE_MAX; i++)
        ASSERT_EQ(PlanetQueueShips(m_pTerra, V_TYPE_SHIP_FAST), 1);
    int energy = m_pTerra->m_iEnergy;
    EXPECT_EQ(PlanetQueueShips(m_pTerra, V_TYPE_SHIP_FAST), 0);
    EXPECT_EQ(LastMessage(), "The Shipyard queue at Terra is full.");
    EXPECT_EQ(BuildQueueCount(pYard->m_pQueue), BUILD_QUEUE_MAX);
    EXPECT_EQ(m_pTerra->m_iEnergy, energy);
}

// The ship dialog with a frame budget: the update ends it with DONE when the script has run out.
int s_shipFrames = 0;
int ShipUpdateWithin(Dialog *pDialog)
{
    ShipListUpdate(pDialog);
    return --s_shipFrames <= 0 ? 2 : pDialog->m_cButtons;
}

TEST_F(BuildPanels, QueueWithAnEmptyQueueOpensNothingAndKeepsTheChoice)
{
    Watchdog watchdog(60);
    Structure *pYard = Build(m_pTerra, V_TYPE_SHIPYARD);
    Button **ppItems = nullptr;
    const char *names[BUILD_LIST_ITEMS];
    for (int i = 0; i < BUILD_LIST_ITEMS; i++)
        names[i] = ShipTypeName(V_TYPE_SHIP_DRONE + i);
    ASSERT_EQ(MakeListItems(&ppItems, names, BUILD_LIST_ITEMS, 23, 12), 0);
    Scroller *pList = nullptr;

    ClickItem(3);
    Click(QUEUE_AT);
    s_shipFrames = 100;
    EXPECT_EQ(RunShipBuildDialog(ppItems, BUILD_LIST_ITEMS, &pList, ShipUpdateWithin, pYard), SHIP_DIALOG_QUEUE);
    EXPECT_EQ(g_shipList.m_iSelected, 3);
    EXPECT_FALSE(AnyFrameShows(" EXIT "));

    Click(BUILD_AT);
    s_shipFrames = 100;
    EXPECT_EQ(RunShipBuildDialog(ppItems, BUILD_LIST_ITEMS, &pList, ShipUpdateWithin, pYard), SHIP_DIALOG_BUILD);
    EXPECT_EQ(g_shipList.m_iSelected, 3);
    s_shipFrames = 1;
    EXPECT_EQ(RunShipBuildDialog(ppItems, BUILD_LIST_ITEMS, &pList, ShipUpdateWithin, pYard), SHIP_DIALOG_DONE);
    EXPECT_EQ(BuildQueueCount(pYard->m_pQueue), 0);  // queueing is the caller's

    DestroyListView(&pList);
    FreeListItems(&ppItems, BUILD_LIST_ITEMS);
}

/* The queue dialog. */

TEST_F(BuildPanels, QueueDialogShowsNamesAndProgressBars)
{
    Watchdog watchdog(60);
    Structure *pYard = Build(m_pTerra, V_TYPE_SHIPYARD);
    ASSERT_EQ(QueueShip(pYard, V_TYPE_SHIP_FAST), 0);
    ASSERT_EQ(QueueShip(pYard, V_TYPE_SHIP_DRONE), 0);
    pYard->m_pQueue->m_pFirst->m_iTurns = 3;  // one of its four turns done
    HeadlessMoveMouse(30, 30);
    Click(EXIT_AT);
    ShowBuildQueueDialog(pYard);

    const HeadlessFrame *pOpen = HeadlessGetFrame(1);
    ASSERT_NE(pOpen, nullptr);
    int x = 0, y = 0;
    // The list view is at (15, 15); a list shorter and narrower than it is centred there.
    ASSERT_TRUE(HeadlessFindText("SNAP Fighter", &x, &y, pOpen));
    EXPECT_EQ(x, 16);
    EXPECT_EQ(y, 20);
    // 23 * 0.25 = 5.75: five full blocks and a half one.
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(HeadlessCellAt(16 + i, 21, pOpen).m_ch, 0xDB) << i;
    EXPECT_EQ(HeadlessCellAt(21, 21, pOpen).m_ch, 0xDD);
    EXPECT_EQ(HeadlessCellAt(22, 21, pOpen).m_ch, ' ');
    EXPECT_EQ(HeadlessCellAt(22, 21, pOpen).m_attr, 0x2A);
    // A model name longer than the list is cut at its edge.
    EXPECT_TRUE(HeadlessFindText("Rackham Corp. EG324 Dra", &x, &y, pOpen));
    EXPECT_EQ(y, 22);
    EXPECT_NE(HeadlessCellAt(x + 23, y, pOpen).m_ch, 'g');
    EXPECT_EQ(HeadlessCellAt(16, 23, pOpen).m_ch, ' ');  // nothing built of the second yet
    EXPECT_EQ(HeadlessCellAt(FIRST_AT.m_x, FIRST_AT.m_y, pOpen).m_ch, '^');
    EXPECT_EQ(HeadlessCellAt(LAST_AT.m_x, LAST_AT.m_y, pOpen).m_ch, 'V');
    EXPECT_EQ(HeadlessCellAt(13, 13, pOpen).m_attr, 0x09);
    // EXIT changes nothing.
    EXPECT_EQ(QueueTypeAt(pYard, 0), V_TYPE_SHIP_FAST);
    EXPECT_EQ(QueueTypeAt(pYard, 1), V_TYPE_SHIP_DRONE);
    EXPECT_EQ(pYard->m_pQueue->m_pFirst->m_iTurns, 3);
}

TEST_F(BuildPanels, ALongQueueScrollsInItsDialog)
{
    Watchdog watchdog(60);
    Structure *pYard = Build(m_pTerra, V_TYPE_SHIPYARD);
    m_pTerra->m_iEnergy = m_pTerra->m_iMatter = 10000;
    for (int i = 0; i < 9; i++)
        ASSERT_EQ(QueueShip(pYard, V_TYPE_SHIP_DRONE), 0);
    ASSERT_EQ(QueueShip(pYard, V_TYPE_MOTHERSHIP_COLONY), 0);
    HeadlessMoveMouse(20, 20);
    HeadlessWheel(20, 20, -120);
    Click(EXIT_AT);
    ShowBuildQueueDialog(pYard);
    // Ten ships take 20 rows; the view shows 14 of them until the wheel brings the last one in.
    int x = 0, y = 0;
    EXPECT_FALSE(HeadlessFindText("LG/I Rabbit", &x, &y, HeadlessGetFrame(4)));  // before the wheel
    ASSERT_TRUE(HeadlessFindText("LG/I Rabbit", &x, &y, HeadlessGetFrame(1)));
    EXPECT_EQ(y, 15 + 18 - 6);
}

TEST_F(BuildPanels, TheArrowsMoveTheShipAfterTheOneInProduction)
{
    Watchdog watchdog(60);
    Structure *pYard = Build(m_pTerra, V_TYPE_SHIPYARD);
    const int types[3] = {V_TYPE_SHIP_FAST, V_TYPE_SHIP_DRONE, V_TYPE_SHIP_HEAVY};
    auto refill = [&]() {
        BuildQueueDestroy(&pYard->m_pQueue);
        BuildQueueCreate(&pYard->m_pQueue);
        for (int type : types)
            ASSERT_EQ(QueueShip(pYard, type), 0);
    };
    struct Case {
        Coord at;
        int order[3];
    } cases[] = {
        {FIRST_AT, {V_TYPE_SHIP_DRONE, V_TYPE_SHIP_FAST, V_TYPE_SHIP_HEAVY}},
        {UP_AT, {V_TYPE_SHIP_DRONE, V_TYPE_SHIP_FAST, V_TYPE_SHIP_HEAVY}},
        {DOWN_AT, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_HEAVY, V_TYPE_SHIP_DRONE}},
        {LAST_AT, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_HEAVY, V_TYPE_SHIP_DRONE}},
    };
    m_pTerra->m_iEnergy = m_pTerra->m_iMatter = 10000;
    for (const Case &c : cases) {
        refill();
        Click(c.at);
        ShowBuildQueueDialog(pYard);
        for (int k = 0; k < 3; k++)
            EXPECT_EQ(QueueTypeAt(pYard, k), c.order[k]) << "arrow at row " << c.at.m_y << ", node " << k;
    }
    // With one ship there is nothing after it to move.
    BuildQueueDestroy(&pYard->m_pQueue);
    BuildQueueCreate(&pYard->m_pQueue);
    ASSERT_EQ(QueueShip(pYard, V_TYPE_SHIP_LASER), 0);
    Click(FIRST_AT);
    ShowBuildQueueDialog(pYard);
    EXPECT_EQ(BuildQueueCount(pYard->m_pQueue), 1);
    EXPECT_EQ(QueueTypeAt(pYard, 0), V_TYPE_SHIP_LASER);
}

}  // namespace
