// The save file: its exact lines, the round trip on played galaxies (save, load, save again gives
// the same bytes), the malformed corpus in tests/saves (every file refused with its message and
// the world in play left as it was), saves that fail or are killed part-way, and the slot list.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "game/world/savefile.h"
#include "tests/world/motion_world.h"
#include "tests/world/save_world.h"

namespace {

namespace fs = std::filesystem;
using motion_test::FileText;

std::string Text(const Universe *pUniverse)
{
    std::string text;
    char why[SAVE_ERROR_MAX] = "";
    EXPECT_EQ(WriteUniverse(pUniverse, &text, why, sizeof why), 0) << why;
    return text;
}

Universe *Read(const std::string &text, int *pNextId)
{
    Universe *pUniverse = nullptr;
    char why[SAVE_ERROR_MAX] = "";
    EXPECT_EQ(ReadUniverse(text.data(), text.size(), &pUniverse, pNextId, why, sizeof why), 0) << why;
    return pUniverse;
}

class SaveFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        RandSeed(5);
        ASSERT_TRUE(ShipCatalogueCreate() == 0 && StructCatalogueCreate() == 0);
        g_pUniverse = save_test::MakeTinyWorld();
        char pattern[] = "/tmp/vostrel-save-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        m_dir = pattern;
        m_slot = (m_dir / "vostrel_2.sauce").string();
    }
    // The catalogues go first, as at the game's end: freeing the world (queues, a hold with ships, a
    // fleet in space with a route in its company's list) needs none and leaves nothing behind.
    void TearDown() override
    {
        FleetSetEncounterHandler(nullptr);
        ShipCatalogueDestroy();
        StructCatalogueDestroy();
        UniverseDestroy(&g_pUniverse);
        EXPECT_EQ(g_pUniverse, nullptr);
        MessagesClear();
        fs::remove_all(m_dir);
    }

    // A refused load leaves the world in play, its text and the id counter as they were.
    void ExpectRefusedIntact(const std::string &path, const std::string &expected, const std::string &name)
    {
        Universe *pBefore = g_pUniverse;
        std::string before = Text(g_pUniverse);
        int nextId = g_nextObjectId;
        Universe *pLoaded = nullptr;
        char why[SAVE_ERROR_MAX] = "";
        EXPECT_NE(LoadUniverse(path.c_str(), &pLoaded, why, sizeof why), 0) << name;
        EXPECT_EQ(pLoaded, nullptr) << name;
        EXPECT_NE(std::string(why).find(expected), std::string::npos) << name << ": " << why;
        EXPECT_TRUE(g_pUniverse == pBefore && g_nextObjectId == nextId && Text(g_pUniverse) == before) << name;
        UniverseDestroy(&pLoaded);
    }

    fs::path m_dir;
    std::string m_slot;
};

// The file's worked lines, on the tiny world: a null target and no hold write N, queues of none,
// one and three nodes (innermost values first), characters of 128 and above as negative numbers,
// names with blanks; read back: the same world, the company table's numbers, N as the next id, and
// a planet of three structures that builds a fourth.
TEST_F(SaveFile, WritesTheExactLinesAndReadsThemBackIntoAWorldThatPlaysOn)
{
    std::string text = Text(g_pUniverse);
    const std::string n = std::to_string(g_nextObjectId);
    const char *const fragments[] = {
        "_colony\n_colony\n3\n_buildnode\n0\n_buildnode\n0\n_buildnode\n1\n15\n60\n10\n45\n7\n43\n",
        "_shipyard\n_shipyard\n1\n_buildnode\n1\n20\n5\n",
        "_colony\n_colony\n0\n",
        "_surface\n12\n12\n-16\n-37\n15\n32\n",
        "Red Dawn\n17\n1\n_surface\n",
        "_company\nZorg Prime\n1\n160\n10000\n10000\n1\n1\n0\n0\n2\n1\n1\n",
        "Laser Satellite\n1\n_surface\n",
    };
    for (const char *pFragment : fragments)
        EXPECT_NE(text.find(pFragment), std::string::npos) << pFragment;
    // Mars has no owner and no hold: owner 0 and N where its fleet would be.
    size_t mars = text.find("\nMars\n0\n_coord\n");
    ASSERT_NE(mars, std::string::npos);
    EXPECT_NE(text.find("\n" + n + "\n_warpgate\n", mars), std::string::npos);

    fs::path path = m_dir / "tiny";
    std::ofstream(path, std::ios::binary) << text;
    g_nextObjectId += 50;
    Universe *pLoaded = nullptr;
    char why[SAVE_ERROR_MAX] = "";
    ASSERT_EQ(LoadUniverse(path.c_str(), &pLoaded, why, sizeof why), 0) << why;
    EXPECT_EQ(std::to_string(g_nextObjectId), n);
    EXPECT_EQ(Text(pLoaded), text);

    // The same text shows the same ids and numbers; what it cannot show: references that lead
    // into the world read (ids alike would lead into the world in play too), the company's fleet
    // table, a queue's last node and the AI size drawn anew.
    System *pHome = pLoaded->m_ppSystem[0];
    Planet *pTerra = pHome->m_ppPlanet[0];
    Fleet *pRaider = (Fleet *)pLoaded->m_ppSystem[1]->m_pFleets->m_pHead->m_pData;
    EXPECT_TRUE(pTerra->m_pOwner == pLoaded->m_ppCompany[0] && pRaider->m_pOwner == pLoaded->m_ppCompany[1] &&
                pRaider->m_pTargetPlanet == pLoaded->m_ppSystem[1]->m_ppPlanet[0] &&
                pRaider->m_pAttackTarget == pHome->m_ppPlanet[1] && pRaider->m_pRoute->m_pHead->m_pData == pHome &&
                pLoaded->m_ppCompany[1]->m_ppFleet[0] == pRaider);
    EXPECT_TRUE(pRaider->m_aiSize >= FLEET_AI_SIZE_MIN && pRaider->m_aiSize <= FLEET_AI_SIZE_MAX &&
                PlanetGetColony(pTerra)->m_pQueue->m_pLast->m_eType == V_TYPE_SAT_VAVUVUR);

    // The world in play is the loaded one now: the harvester is finished on turn 43 as the
    // fourth structure, with the id N.
    UniverseDestroy(&g_pUniverse);
    g_pUniverse = pLoaded;
    for (int turn = 0; turn < 3; turn++)
        UniverseUpdate(g_pUniverse);
    ASSERT_EQ(pTerra->m_cStructure, 4);
    EXPECT_EQ(std::to_string(pTerra->m_ppStructure[3]->m_iId), n);
    EXPECT_EQ(pTerra->m_ppStructure[3]->m_eType, V_TYPE_HARVESTER_ENERGY);
}

// Generated galaxies of 14 systems and 5 companies, played for hundreds of turns with a battle
// stand-in that sinks ships; every hundred turns the world is saved, read back and saved again,
// and play goes on in the world read back.
class PlayedGame : public SaveFile, public ::testing::WithParamInterface<unsigned> {};

TEST_P(PlayedGame, SavesLoadsAndSavesAgainToTheSameBytesAndPlaysOn)
{
    UniverseDestroy(&g_pUniverse);
    RandSeed(GetParam());
    ASSERT_EQ(UniverseCreate(&g_pUniverse, 14, 5), 0);
    FleetSetEncounterHandler(motion_test::LoseFirstShipsAndReturn);
    motion_test::ScriptedPlayer player = save_test::BusyPlayer(GetParam());
    auto fleetsIn = [](int state) {
        int count = 0;
        for (int s = 0; s < g_pUniverse->m_cSystem; s++)
            for (ListNode *pNode = g_pUniverse->m_ppSystem[s]->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
                count += ((Fleet *)pNode->m_pData)->m_eState == state;
        return count;
    };
    for (int round = 0; round < 3; round++) {
        // A hundred turns, then on to a turn that ends with a fleet at a gate, about to warp.
        ASSERT_EQ(player.PlayTurns(g_pUniverse, 100), 0);
        for (int extra = 0; extra < 200 && fleetsIn(FLEET_WARP) == 0; extra++)
            ASSERT_EQ(player.PlayTurns(g_pUniverse, 1), 0);
        MessagesClear();
        Structure *pShipyard = PlanetGetShipyard(g_pUniverse->m_ppSystem[0]->m_ppPlanet[0]);
        EXPECT_TRUE(fleetsIn(FLEET_WARP) > 0 && fleetsIn(FLEET_MOVING) > 0 && pShipyard &&
                    BuildQueueIsFull(pShipyard->m_pQueue));
        std::string text = Text(g_pUniverse);
        int nextId = -1;
        Universe *pLoaded = Read(text, &nextId);
        ASSERT_NE(pLoaded, nullptr);
        EXPECT_EQ(nextId, g_nextObjectId);
        EXPECT_TRUE(Text(pLoaded) == text) << "round " << round;
        UniverseDestroy(&g_pUniverse);
        g_pUniverse = pLoaded;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, PlayedGame, ::testing::Values(3u, 17u));

// Every file of tests/saves/bad is refused with the message its line in the manifest names.
TEST_F(SaveFile, EveryMalformedFileIsRefusedWithItsMessageAndTheGameInPlayIntact)
{
    fs::path dir = fs::path(VOSTREL_SOURCE_DIR) / "tests" / "saves";
    std::ifstream manifest(dir / "expected.txt");
    std::string line;
    int files = 0;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        std::string name = line.substr(0, tab);
        ASSERT_TRUE(fs::exists(dir / "bad" / name)) << name;
        ExpectRefusedIntact((dir / "bad" / name).string(), line.substr(tab + 1), name);
        files++;
    }
    EXPECT_GE(files, 50);
    for (const auto &entry : fs::directory_iterator(dir / "bad")) {
        std::string name = entry.path().filename().string();
        EXPECT_NE(FileText(dir / "expected.txt").find(name + "\t"), std::string::npos) << name << " has no message";
    }
}

// What is in the slot's place: nothing, a folder, a pipe, megabytes of noise.
TEST_F(SaveFile, ASlotHoldingNoSaveIsRefusedAndSaysWhy)
{
    ExpectRefusedIntact(m_slot, "the slot is empty", "missing");
    fs::create_directory(m_slot);
    ExpectRefusedIntact(m_slot, "something other than a save file", "folder");
    fs::remove(m_slot);
    ASSERT_EQ(mkfifo(m_slot.c_str(), 0600), 0);
    ExpectRefusedIntact(m_slot, "something other than a save file", "pipe");
    fs::remove(m_slot);
    std::string noise(4 << 20, '\0');
    std::mt19937 random(9);
    for (char &c : noise)
        c = (char)(random() % 7 == 0 ? '\n' : random());
    std::ofstream(m_slot, std::ios::binary) << noise;
    ExpectRefusedIntact(m_slot, "line 1:", "noise");
    EXPECT_EQ(GetSlotInfo(m_slot.c_str()).m_eState, SLOT_UNREADABLE);
    std::ofstream(m_slot, std::ios::trunc) << "noise\n2147483647\n";  // a turn that cannot be shown plus one
    EXPECT_EQ(GetSlotInfo(m_slot.c_str()).m_eState, SLOT_UNREADABLE);
}

// A save that cannot be finished reports why and leaves the old save whole: no folder for the
// file, a folder in the slot's place, a disk that fills up part-way (a file size limit here).
TEST_F(SaveFile, AFailedSaveSaysWhyAndKeepsTheOldSave)
{
    char why[SAVE_ERROR_MAX] = "";
    ASSERT_EQ(SaveUniverse(m_slot.c_str(), g_pUniverse, why, sizeof why), 0) << why;
    std::string old = FileText(m_slot);
    g_pUniverse->m_iTurn = 41;

    EXPECT_NE(SaveUniverse((m_dir / "none" / "vostrel_0.sauce").c_str(), g_pUniverse, why, sizeof why), 0);
    EXPECT_NE(std::string(why).find("cannot create"), std::string::npos) << why;
    fs::create_directory(m_dir / "vostrel_3.sauce");
    EXPECT_NE(SaveUniverse((m_dir / "vostrel_3.sauce").c_str(), g_pUniverse, why, sizeof why), 0);
    EXPECT_NE(std::string(why).find("renaming"), std::string::npos) << why;

    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit = {1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        char childWhy[SAVE_ERROR_MAX] = "";
        int rc = SaveUniverse(m_slot.c_str(), g_pUniverse, childWhy, sizeof childWhy);
        _exit(rc != 0 && strstr(childWhy, "writing the file failed") ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(FileText(m_slot), old);
    int files = 0;
    for (const auto &entry : fs::directory_iterator(m_dir))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1) << "a temporary file was left behind";
    SlotInfo info = GetSlotInfo(m_slot.c_str());
    EXPECT_TRUE(info.m_eState == SLOT_SAVED && info.m_iTurn == 40 && info.m_savedAt > 0);
}

// The writing process killed at points spread over a save of the largest galaxy: the slot always
// loads, and holds the old save or the new one.
TEST_F(SaveFile, ASaveKilledAtAnyPointLeavesASlotThatLoads)
{
    char why[SAVE_ERROR_MAX] = "";
    ASSERT_EQ(SaveUniverse(m_slot.c_str(), g_pUniverse, why, sizeof why), 0);
    std::string old = FileText(m_slot);
    UniverseDestroy(&g_pUniverse);
    RandSeed(11);
    ASSERT_EQ(UniverseCreate(&g_pUniverse, 14, 5), 0);
    std::string fresh = Text(g_pUniverse);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(SaveUniverse((m_dir / "timing").c_str(), g_pUniverse, why, sizeof why), 0);
    auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::mt19937 random(4);
    for (int attempt = 0; attempt < 12; attempt++) {
        if (attempt % 2 == 0)
            std::ofstream(m_slot, std::ios::binary | std::ios::trunc) << old;
        pid_t child = fork();
        if (child == 0) {
            char childWhy[SAVE_ERROR_MAX];
            SaveUniverse(m_slot.c_str(), g_pUniverse, childWhy, sizeof childWhy);
            _exit(0);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (2 * took.count() + 1)));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::string now = FileText(m_slot);
        ASSERT_TRUE(now == old || now == fresh) << "kill " << attempt;
        int nextId = -1;
        Universe *pLoaded = Read(now, &nextId);  // loads, whichever it holds
        UniverseDestroy(&pLoaded);
    }

    // The next good save clears what the killed ones left beside the slot, and no more; its mode
    // follows the player's umask.
    std::ofstream(m_slot + ".saving.Ab12Zz") << "left by a killed save";
    std::ofstream(m_slot + ".backup") << "not the game's";
    mode_t mask = umask(027);
    ASSERT_EQ(SaveUniverse(m_slot.c_str(), g_pUniverse, why, sizeof why), 0) << why;
    umask(mask);
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(m_dir))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"timing", "vostrel_2.sauce", "vostrel_2.sauce.backup"}));
    EXPECT_EQ(fs::status(m_slot).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
