// The information panels and the build dialogs, played through the headless console: what the
// panels show, how a list picks its entry, what BUILD, QUEUE and DONE do, the queue dialog's bars
// and arrows, and the limits a planet puts on building.
#include <algorithm>

#include "tests/test_gamescreen_world.h"

namespace screens_test {
namespace {

// The player's home planet selected, as its panel's build buttons find it.
class BuildPanels : public ScreenWorld {
protected:
    Planet *m_pTerra = nullptr;
    void SetUp() override
    {
        ScreenWorld::SetUp();
        m_pTerra = g_pSelPlanet = PlanetAt(0, 0);
    }
};

TEST_F(BuildPanels, TheResourcesPanelAndTheExistingCountOfAStructurePanel)
{
    Surface *pBody = CreateSurface(60, 20);
    FillSurface(pBody, Cell{'x', 0x07});
    DrawResourcesPanel(pBody, nullptr);
    EXPECT_EQ(Row(pBody, 0, 16, 60), std::string(60, 'x'));
    m_pTerra->m_iEnergy = 1234;
    m_pTerra->m_iMatter = 56;
    DrawResourcesPanel(pBody, m_pTerra);
    EXPECT_EQ(Row(pBody, 0, 16, 26), "xEnergy:  1234           x");
    EXPECT_EQ(Row(pBody, 0, 17, 26), "x                        x");
    EXPECT_EQ(Row(pBody, 0, 18, 26), "xMatter:    56           x");
    EXPECT_EQ(pBody->m_pCells[17 * 60 + 5].m_ch, 0xB2);
    EXPECT_EQ(pBody->m_pCells[16 * 60 + 1].m_attr, 0x0F);

    // Existing: what stands on this planet, not what is lost, queued or elsewhere.
    m_pTerra->m_iEnergy = m_pTerra->m_iMatter = 1000;
    AddStructure(m_pTerra, V_TYPE_HARVESTER_ENERGY);
    AddStructure(m_pTerra, V_TYPE_HARVESTER_ENERGY);
    AddStructure(m_pTerra, V_TYPE_HARVESTER_ENERGY)->m_bDestroyed = 1;
    AddStructure(PlanetAt(0, 1), V_TYPE_HARVESTER_ENERGY);
    ASSERT_EQ(PlanetQueueStructure(m_pTerra, V_TYPE_HARVESTER_ENERGY), 0);
    ShowStructTypeInfo(0, pBody);
    EXPECT_EQ(Row(pBody, 28, 1, 32), "Structure Type: Harvester");
    EXPECT_EQ(Row(pBody, 47, 12, 13), "Existing:");
    EXPECT_EQ(Row(pBody, 47, 13, 13), "   2");
    EXPECT_EQ(Row(pBody, 1, 16, 24), "Energy:   900");
    DestroySurface(&pBody);
}

// A list dialog over the structure names whose update is HandleListClick with a callback that
// counts its calls and notes the frame of the last; it ends after the given frames.
Button **s_ppItems = nullptr;
Scroller *s_pList = nullptr;
ListSelection s_sel = {};
int s_frame = 0, s_frames = 0, s_calls = 0, s_callFrame = -1;

int ListUpdate(Dialog *pDialog)
{
    Coord pos = {pDialog->m_x, pDialog->m_y};
    s_frame++;
    HandleListClick(pDialog->m_pContent, &pos, s_pList, s_ppItems, BUILD_LIST_ITEMS, &s_sel.m_bPressed,
                    &s_sel.m_pCurrent, &s_sel.m_iSelected, &s_sel.m_iPrevious, [](int index, Surface *pBody) {
                        s_calls++;
                        s_callFrame = s_frame;
                        ShowStructTypeInfo(index, pBody);
                    }, 1);
    return s_frame >= s_frames ? 1 : pDialog->m_cButtons;
}

int RunList(int frames)
{
    s_frame = 0;
    s_frames = frames;
    return RunListDialog(s_ppItems, BUILD_LIST_ITEMS, &s_pList, LIST_MODE_BUILD, ListUpdate);
}

int Lit()
{
    return (int)std::count_if(s_ppItems, s_ppItems + BUILD_LIST_ITEMS, [](Button *p) { return p->m_bHighlighted; });
}

TEST_F(BuildPanels, AListEntryIsChosenOnceAtTheReleaseAndLeftTheOnlyOneLit)
{
    const char *names[BUILD_LIST_ITEMS];
    for (int i = 0; i < BUILD_LIST_ITEMS; i++)
        names[i] = g_ppStructInfo[i]->m_pName;
    ASSERT_EQ(MakeListItems(&s_ppItems, names, BUILD_LIST_ITEMS, 23, 12), 0);
    s_calls = 0;
    s_sel = {BUILD_LIST_ITEMS, BUILD_LIST_ITEMS, 0, nullptr};
    Push({ListEntry(2)});
    EXPECT_EQ(RunList(4), 1);
    EXPECT_EQ(s_calls, 1);
    EXPECT_EQ(s_callFrame, 2);  // the press lit it, the release chose it
    EXPECT_EQ(s_sel.m_iSelected, 2);
    EXPECT_TRUE(s_ppItems[2]->m_bHighlighted);
    EXPECT_TRUE(ShownSince(0, "Structure Type: Shipyard"));

    Push({ListEntry(5), ListEntry(5)});  // clicking the chosen entry keeps it
    EXPECT_EQ(RunList(6), 1);
    EXPECT_EQ(s_calls, 2);
    EXPECT_EQ(s_sel.m_iSelected, 5);
    EXPECT_EQ(Lit(), 1);
    EXPECT_TRUE(s_ppItems[5]->m_bHighlighted);

    // A press released off the list still chooses its entry, at the release.
    HeadlessMoveMouse(ListEntry(1).m_x, ListEntry(1).m_y, PLATFORM_BUTTON_LEFT);
    HeadlessMoveMouse(70, 45, PLATFORM_BUTTON_LEFT);
    HeadlessMoveMouse(70, 45, 0);
    EXPECT_EQ(RunList(5), 1);
    EXPECT_EQ(s_calls, 3);
    EXPECT_EQ(s_callFrame, 3);
    EXPECT_EQ(s_sel.m_iSelected, 1);
    EXPECT_EQ(Lit(), 1);

    // Events left from before the dialog, and a second one of the list's own, swallow no click.
    PostMouseEvent(EV_LEFT_BUTTON, 3, 3, 0, 0, g_pScreen, &g_eventQueue);
    PostMouseEvent(EV_MOUSE_UP, 3, 3, 0, 0, g_pScreen, &g_eventQueue);
    Push({ListEntry(4)});
    HeadlessDoubleClick(ListEntry(6).m_x, ListEntry(6).m_y);
    Push({ListEntry(0)});
    EXPECT_EQ(RunList(10), 1);
    EXPECT_EQ(s_calls, 6);
    EXPECT_EQ(s_sel.m_iSelected, 0);
    EXPECT_EQ(g_eventQueue.m_nCount, 0);

    DestroyListView(&s_pList);
    FreeListItems(&s_ppItems, BUILD_LIST_ITEMS);
}

TEST_F(BuildPanels, BuildStructQueuesTheChosenStructureAtTheColonyAndNothingWithoutOne)
{
    Push({ListEntry(0), BUILD_AT, LIST_DONE_AT});
    RunBuildStruct();
    Push({BUILD_AT, LIST_DONE_AT});  // reopened, nothing is chosen: BUILD queues nothing
    RunBuildStruct();
    Structure *pColony = PlanetGetColony(m_pTerra);
    EXPECT_EQ(Queued(pColony), (std::vector<int>{V_TYPE_HARVESTER_ENERGY}));
    EXPECT_TRUE(ShownSince(0, "Structure queued for"));  // the log below the dialog told the player at once

    pColony->m_bDestroyed = 1;  // destroyed in battle this turn, freed at the next update
    int frames = HeadlessFrameCount();
    RunBuildStruct();
    EXPECT_EQ(HeadlessFrameCount(), frames);
    EXPECT_EQ(LastMessage(), "There is no Colony on Terra to build structures.");
    EXPECT_EQ(MessageAttr(MessageCount() - 1), 0x9F);
    ASSERT_EQ(PlanetRemoveStructure(m_pTerra, pColony), 0);
    StructureDestroy(&pColony);
    EXPECT_EQ(PlanetQueueStructure(m_pTerra, V_TYPE_SHIPYARD), 1);
    EXPECT_EQ(motion_test::CountMessages("There is no Colony on Terra to build structures."), 2);
    EXPECT_EQ(m_pTerra->m_iEnergy, 900);
}

TEST_F(BuildPanels, AddShipQueuesAtEveryShipyardAndQueueShowsWhatWaitsOrKeepsTheChoice)
{
    Push({ListEntry(1), BUILD_AT, SHIP_DONE_AT});
    RunAddShip();
    EXPECT_EQ(LastMessage(), "There is no Shipyard on Terra to build ships.");
    EXPECT_EQ(m_pTerra->m_iEnergy, 1000);

    Structure *pYard = AddStructure(m_pTerra, V_TYPE_SHIPYARD);
    // QUEUE queues, and with nothing waiting before opens no queue dialog and keeps the choice;
    // with ships waiting it shows the queue, and the choice is forgotten.
    Push({ListEntry(1), QUEUE_AT, BUILD_AT, QUEUE_AT, EXIT_AT, BUILD_AT, SHIP_DONE_AT});
    RunAddShip();
    EXPECT_TRUE(ShownSince(0, " EXIT "));
    EXPECT_EQ(Queued(pYard), (std::vector<int>{V_TYPE_SHIP_FAST, V_TYPE_SHIP_FAST}));
    EXPECT_EQ(m_pTerra->m_iEnergy, 800);
    EXPECT_EQ(g_shipList.m_iSelected, BUILD_LIST_ITEMS);

    Structure *pYard2 = AddStructure(m_pTerra, V_TYPE_SHIPYARD);
    Push({ListEntry(0), BUILD_AT, SHIP_DONE_AT});
    RunAddShip();
    EXPECT_EQ(Queued(pYard), (std::vector<int>{V_TYPE_SHIP_FAST, V_TYPE_SHIP_FAST, V_TYPE_SHIP_DRONE}));
    EXPECT_EQ(Queued(pYard2), (std::vector<int>{V_TYPE_SHIP_DRONE}));
    EXPECT_EQ(motion_test::CountMessages("Ship queued for construction."), 4);
}

TEST_F(BuildPanels, TheQueueDialogShowsBarsScrollsAndItsArrowsMoveTheShipAfterTheOneInProduction)
{
    Structure *pYard = AddStructure(m_pTerra, V_TYPE_SHIPYARD);
    m_pTerra->m_iEnergy = m_pTerra->m_iMatter = 10000;
    ASSERT_EQ(QueueShip(pYard, V_TYPE_SHIP_FAST), 0);
    ASSERT_EQ(QueueShip(pYard, V_TYPE_SHIP_DRONE), 0);
    pYard->m_pQueue->m_pFirst->m_iTurns = 3;  // one of its four turns done
    HeadlessMoveMouse(30, 30);
    Push({EXIT_AT});
    ShowBuildQueueDialog(pYard);
    const HeadlessFrame *pOpen = HeadlessGetFrame(1);
    // The list, shorter and narrower than its view at (15, 15), is centred there; 23 * 0.25 = 5.75
    // makes five full blocks and a half one; a long name is cut at the list's edge.
    EXPECT_EQ(Row(nullptr, 15, 20, 24, pOpen), " SNAP Fighter");
    EXPECT_EQ(Row(nullptr, 15, 21, 24, pOpen), " \xDB\xDB\xDB\xDB\xDB\xDD");
    EXPECT_EQ(HeadlessCellAt(22, 21, pOpen).m_attr, 0x2A);
    EXPECT_EQ(Row(nullptr, 15, 22, 25, pOpen), " Rackham Corp. EG324 Dra");
    EXPECT_EQ(HeadlessCellAt(16, 23, pOpen).m_ch, ' ');  // nothing built of the second yet
    EXPECT_EQ(HeadlessCellAt(FIRST_AT.m_x, FIRST_AT.m_y, pOpen).m_ch, '^');
    EXPECT_EQ(HeadlessCellAt(LAST_AT.m_x, LAST_AT.m_y, pOpen).m_ch, 'V');
    EXPECT_EQ(Queued(pYard), (std::vector<int>{V_TYPE_SHIP_FAST, V_TYPE_SHIP_DRONE}));  // EXIT changes nothing
    EXPECT_EQ(pYard->m_pQueue->m_pFirst->m_iTurns, 3);

    // Ten ships take 20 rows; the view shows 14 of them until the wheel brings the last one in.
    for (int i = 0; i < 7; i++)
        ASSERT_EQ(QueueShip(pYard, V_TYPE_SHIP_DRONE), 0);
    ASSERT_EQ(QueueShip(pYard, V_TYPE_MOTHERSHIP_COLONY), 0);
    HeadlessMoveMouse(20, 20);
    HeadlessWheel(20, 20, -120);
    Push({EXIT_AT});
    ShowBuildQueueDialog(pYard);
    EXPECT_EQ(Row(nullptr, 15, 15 + 18 - 6, 11, HeadlessGetFrame(1)), "LG/I Rabbit");
    EXPECT_EQ(Row(nullptr, 15, 15 + 18 - 6, 11, HeadlessGetFrame(4)), "Rackham Cor");  // before the wheel

    const std::vector<int> three = {V_TYPE_SHIP_FAST, V_TYPE_SHIP_DRONE, V_TYPE_SHIP_HEAVY};
    const struct {
        Coord at;
        std::vector<int> order;
    } cases[] = {
        {FIRST_AT, {V_TYPE_SHIP_DRONE, V_TYPE_SHIP_FAST, V_TYPE_SHIP_HEAVY}},
        {UP_AT, {V_TYPE_SHIP_DRONE, V_TYPE_SHIP_FAST, V_TYPE_SHIP_HEAVY}},
        {DOWN_AT, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_HEAVY, V_TYPE_SHIP_DRONE}},
        {LAST_AT, {V_TYPE_SHIP_FAST, V_TYPE_SHIP_HEAVY, V_TYPE_SHIP_DRONE}},
        {FIRST_AT, {V_TYPE_SHIP_LASER}},  // with one ship there is nothing after it to move
    };
    for (const auto &c : cases) {
        BuildQueueDestroy(&pYard->m_pQueue);
        BuildQueueCreate(&pYard->m_pQueue);
        for (int type : c.order.size() == 1 ? c.order : three)
            ASSERT_EQ(QueueShip(pYard, type), 0);
        Push({c.at});
        ShowBuildQueueDialog(pYard);
        EXPECT_EQ(Queued(pYard), c.order) << "arrow at row " << c.at.m_y;
    }
}

}  // namespace
}  // namespace screens_test
