// soak_world: whole games played with no screens, every company (the player's too) run by the
// computer's rules through the game's own EndTurn. After every turn the world's invariants are
// checked and a digest taken, so a seed replays to the same game. Header only: used by the world
// tests (whose scripted soak checks the same invariants), `make soak` and the end-of-turn benchmark.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

#include "baseutilities/baselist.h"
#include "game/core/messagelog.h"
#include "game/core/randutils.h"
#include "game/world/battle.h"
#include "game/world/aidump.h"
#include "game/world/armor.h"
#include "game/world/company.h"
#include "game/world/compai.h"
#include "game/world/fleet.h"
#include "game/world/planet.h"
#include "game/world/ship.h"
#include "game/world/structure.h"
#include "game/world/system.h"
#include "game/world/turn.h"
#include "game/world/universe.h"
#include "game/world/warpgate.h"
#include "game/world/world.h"

namespace soak {

// A scratch working directory for the dump files, removed with the object; the previous working
// directory comes back.
class ScratchDir {
public:
    ScratchDir() : m_previous(std::filesystem::current_path())
    {
        char pattern[] = "/tmp/vostrel-ai-XXXXXX";
        if (mkdtemp(pattern))
            std::filesystem::current_path(m_root = pattern);
    }
    ~ScratchDir()
    {
        AIDumpClose();
        std::filesystem::current_path(m_previous);
        if (!m_root.empty())
            std::filesystem::remove_all(m_root);
    }
private:
    std::filesystem::path m_previous, m_root;
};

// A new game as the program makes one (company count, then system count), or of a given size.
// With no battle screens the computer's rules choose for both sides of a battle.
inline void StartGame(unsigned seed, int cSystem = 0, int cCompany = 0)
{
    RandSeed(seed);
    g_nextObjectId = 0;
    ShipCatalogueCreate();
    StructCatalogueCreate();
    TurnSetHooks(nullptr);
    BattleSetScreens(nullptr);
    BattleInit();
    cCompany = cCompany ? cCompany : RandInt(4) + 2;
    cSystem = cSystem ? cSystem : RandInt(10) + 5;
    UniverseCreate(&g_pUniverse, cSystem, cCompany);
    MessagesClear();
}

inline void EndGame()
{
    BattleShutdown();
    UniverseDestroy(&g_pUniverse);
    ShipCatalogueDestroy();
    StructCatalogueDestroy();
    MessagesClear();
    AIDumpClose();
}

// One turn: the player's company by the computer's rules, then the game's end of turn. The log
// is emptied, as a long game would otherwise hold every message of it.
inline void PlayTurn()
{
    AITurn(g_pUniverse, UniversePlayer(g_pUniverse));
    EndTurn(nullptr);
    MessagesClear();
}

// The companies that still hold a colony.
inline std::vector<int> CompaniesWithColonies(const Universe *pUniverse)
{
    std::vector<int> alive;
    for (int i = 0; i < pUniverse->m_cCompany; i++)
        if (pUniverse->m_ppCompany[i]->m_cColony > 0)
            alive.push_back(i);
    return alive;
}

// The game is over when the player holds no colony, or when the player alone still holds one.
inline bool GameIsOver(const Universe *pUniverse)
{
    std::vector<int> alive = CompaniesWithColonies(pUniverse);
    return alive.empty() || alive[0] != 0 || alive.size() == 1;
}

/* One walk over the world after a turn. */

// The computer's doings in figures: fleets in space, colonies held, ships, and fleets with an
// attack target.
struct Figures {
    int fleetsInSpace = 0, colonies = 0, ships = 0, attackers = 0;
};

// Checks the invariants, takes the digest (everything the rules read, in a fixed order, never an
// address) and counts the figures, in one walk.
class Survey {
public:
    std::string failure;   // "" when the world holds together, else what is broken first
    uint64_t digest = 1469598103934665603ull;
    Figures figures;

    explicit Survey(const Universe *pUniverse) { Run(pUniverse); }

private:
    std::unordered_set<int> m_ids;
    std::unordered_set<const Fleet *> m_fleets;
    std::vector<const Fleet *> m_pointed;   // fleets chased and fleets in a gate's transit

    template <class... T> void Add(T... values)
    {
        for (long long v : {(long long)values...})
            for (int i = 0; i < 8; i++)
                digest = (digest ^ ((uint64_t)(v >> (8 * i)) & 0xFF)) * 1099511628211ull;
    }
    void Fail(const std::string &what) { failure = failure.empty() ? what : failure; }
    void Id(int id, const char *pKind)
    {
        if (id < 0 || id >= g_nextObjectId)
            Fail(std::string(pKind) + " id " + std::to_string(id) + " outside the counter");
        else if (!m_ids.insert(id).second)
            Fail(std::string(pKind) + " id " + std::to_string(id) + " taken twice");
    }
    // Held by exactly one holder, its ship count its list's length, every ship's id unique; a
    // hold's home is its planet.
    void Fleet_(const Fleet *pFleet, const System *pIn, const Planet *pHome = nullptr)
    {
        if (!m_fleets.insert(pFleet).second)
            Fail("a fleet held twice");
        if (pFleet->m_pSystem != pIn || (pHome && pFleet->m_pHomePlanet != pHome))
            Fail("a fleet listed in a system it is not in, or a hold of another planet");
        m_pointed.push_back(pFleet->m_pTargetFleet);
        Id(pFleet->m_iId, "fleet");
        if (pFleet->m_cShip != pFleet->m_pShips->m_cItem)
            Fail("a fleet counts " + std::to_string(pFleet->m_cShip) + " ships and lists " +
                 std::to_string(pFleet->m_pShips->m_cItem));
        figures.ships += pFleet->m_cShip;
        figures.attackers += pFleet->m_pAttackTarget != nullptr;
        Add(pFleet->m_iId, pFleet->m_eState, pFleet->m_aiState, pFleet->m_aiLastState, pFleet->m_pos.m_x,
            pFleet->m_pos.m_y, pFleet->m_iEnergy, pFleet->m_pAttackTarget ? pFleet->m_pAttackTarget->m_iId : -1,
            pFleet->m_pRoute->m_cItem);
        for (const ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext) {
            const Ship *pShip = (const Ship *)pNode->m_pData;
            Id(pShip->m_iId, "ship");
            if (pShip->m_pFleet != pFleet)
                Fail("a ship that points at another fleet");
            Add(pShip->m_iId, pShip->m_eType, pShip->m_pArmor ? pShip->m_pArmor->m_iHp : 0);
        }
    }
    void Planet_(const Planet *pPlanet, std::vector<int> &held)
    {
        Id(pPlanet->m_iId, "planet");
        Add(pPlanet->m_iOwnerNum, pPlanet->m_iEnergy, pPlanet->m_iMatter, pPlanet->m_aiState, pPlanet->m_aiLastState);
        int queued = 0;
        bool bColony = false;
        for (int i = 0; i < pPlanet->m_cStructure; i++) {
            const Structure *pStructure = pPlanet->m_ppStructure[i];
            Id(pStructure->m_iId, "structure");
            Add(pStructure->m_iId, pStructure->m_eType);
            bColony |= pStructure->m_eType == V_TYPE_COLONY;
            const BuildQueue *pQueue = pStructure->m_pQueue;
            int count = 0;
            for (const BuildNode *pNode = pQueue ? pQueue->m_pFirst : nullptr; pNode; pNode = pNode->m_pNext, count++)
                Add(pNode->m_eType, pNode->m_iTurns);
            if (count > BUILD_QUEUE_MAX || (pQueue && count != BuildQueueCount(pQueue)))
                Fail("a queue of " + std::to_string(count) + " nodes");
            queued += pStructure->m_eType == V_TYPE_COLONY ? count : 0;
        }
        if (pPlanet->m_cStructure + queued > STRUCTURE_MAX)
            Fail("a planet with " + std::to_string(pPlanet->m_cStructure + queued) + " structures");
        // A Colony destroyed in battle counts until the planet's next update removes it.
        if (bColony && pPlanet->m_pOwner)
            held[pPlanet->m_pOwner->m_iNum - 1]++;
        if (pPlanet->m_pFleet)
            Fleet_(pPlanet->m_pFleet, nullptr, pPlanet);
        else if (pPlanet->m_pOwner)
            Fail("an owned planet without a hold");
    }
    void Run(const Universe *pUniverse)
    {
        Add(pUniverse->m_iTurn, g_nextObjectId);
        std::vector<int> held(pUniverse->m_cCompany, 0);
        for (int s = 0; s < pUniverse->m_cSystem; s++) {
            const System *pSystem = pUniverse->m_ppSystem[s];
            Id(pSystem->m_iId, "system");
            if (pSystem->m_bSearched || pSystem->m_pSearchParent)
                Fail("a search mark left set");
            for (int i = 0; i < pSystem->m_cPlanet; i++)
                Planet_(pSystem->m_ppPlanet[i], held);
            for (int i = 0; i < pSystem->m_cGate; i++) {
                const Warpgate *pGate = pSystem->m_ppGate[i];
                Id(pGate->m_iId, "gate");
                m_pointed.push_back(pGate->m_pTransitFleet);
                Add(pGate->m_bActive, pGate->m_pTransitFleet ? pGate->m_pTransitFleet->m_iId : -1);
            }
            figures.fleetsInSpace += pSystem->m_pFleets->m_cItem;
            for (const ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
                Fleet_((const Fleet *)pNode->m_pData, pSystem);
        }
        for (const Fleet *pFleet : m_pointed)
            if (pFleet && !m_fleets.count(pFleet))
                Fail("a gate or a fleet points at a fleet no longer in play");
        for (int c = 0; c < pUniverse->m_cCompany; c++) {
            const Company *pCompany = pUniverse->m_ppCompany[c];
            Add(pCompany->m_cColony, pCompany->m_offenseScore, pCompany->m_defenseScore, pCompany->m_aiState,
                pCompany->m_aiLastState);
            figures.colonies += pCompany->m_cColony;
            if (pCompany->m_cColony != held[c])
                Fail("company " + std::to_string(c) + " counts " + std::to_string(pCompany->m_cColony) +
                     " colonies and holds " + std::to_string(held[c]));
        }
    }
};

// "" when the world holds together, else what is broken first.
inline std::string CheckInvariants(const Universe *pUniverse) { return Survey(pUniverse).failure; }

/* A whole game. */

struct Game {
    int turnReached = 0;
    std::vector<int> alive;          // companies holding a colony at the end
    std::string failure;             // the first broken invariant, with its turn; "" for none
    std::vector<uint64_t> digests;   // one per turn
    double msPerTurn = 0;
    Figures figures;                 // at the end
};

inline Game Play(unsigned seed, int turns, int cSystem = 0, int cCompany = 0)
{
    Game game;
    StartGame(seed, cSystem, cCompany);
    game.figures = Survey(g_pUniverse).figures;
    auto start = std::chrono::steady_clock::now();
    while (game.turnReached < turns && !GameIsOver(g_pUniverse)) {
        PlayTurn();
        game.turnReached++;
        Survey survey(g_pUniverse);
        game.digests.push_back(survey.digest);
        game.figures = survey.figures;
        if (!survey.failure.empty()) {
            game.failure = "turn " + std::to_string(game.turnReached) + ": " + survey.failure;
            break;
        }
    }
    auto elapsed = std::chrono::steady_clock::now() - start;
    game.msPerTurn = std::chrono::duration<double, std::milli>(elapsed).count() /
                     (game.turnReached ? game.turnReached : 1);
    game.alive = CompaniesWithColonies(g_pUniverse);
    EndGame();
    return game;
}

// "player", "none" (no one or several hold colonies) or the sole computer company's number.
inline std::string Winner(const Game &game)
{
    if (game.alive.size() != 1)
        return "none";
    return game.alive[0] == 0 ? "player" : "company " + std::to_string(game.alive[0] + 1);
}

}  // namespace soak
