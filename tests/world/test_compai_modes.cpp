// The company mode rule around DEFENSE: the satellites and cannons a company holds do not count
// towards its lead in defence, so DEFENSE cannot keep itself up, and a company in DEFENSE that
// leads in nothing goes back to IDLE.
#include <vector>

#include "game/world/compai.h"
#include "tests/world/motion_world.h"

namespace motion_test {
namespace {

class AIModes : public World {
protected:
    Catalogues m_catalogues;
};

TEST_F(AIModes, DefenceLeadsLeaveOutTheCompanysOwnDefences)
{
    struct Case {
        int defense;
        bool bOnPlayer;   // the structures stand on the player's planet instead of the rival's
        std::vector<int> built;
        int state, last, expectState, expectLast;
    } cases[] = {
        // the player holds 1 colony, 3 ships and 2 structures; the rival 1 colony and no ship
        {3, true, {V_TYPE_SAT_FAST}, COMPANY_AI_IDLE, COMPANY_AI_IDLE, COMPANY_AI_DEFENSE, COMPANY_AI_IDLE},
        {5, false, {V_TYPE_SAT_FAST, V_TYPE_SAT_HEAVY, V_TYPE_SAT_VAVUVUR}, COMPANY_AI_DEFENSE, COMPANY_AI_DEFENSE,
         COMPANY_AI_IDLE, COMPANY_AI_DEFENSE},
        {6, false, {V_TYPE_SAT_ATOMIC, V_TYPE_SAT_LASER, V_TYPE_SHIPYARD}, COMPANY_AI_DEFENSE, COMPANY_AI_DEFENSE,
         COMPANY_AI_DEFENSE, COMPANY_AI_DEFENSE},
        {1, false, {}, COMPANY_AI_DEFENSE, COMPANY_AI_OFFENSE, COMPANY_AI_IDLE, COMPANY_AI_DEFENSE},
    };
    Player()->m_offenseScore = 3;
    Player()->m_defenseScore = 2;
    for (const Case &c : cases) {
        Planet *pAt = PlanetAt(0, c.bOnPlayer ? 0 : 3);
        int first = pAt->m_cStructure;
        for (int type : c.built)
            StructureCreate(&pAt->m_ppStructure[pAt->m_cStructure++], pAt, type);
        Rival()->m_defenseScore = c.defense;
        Rival()->m_aiState = c.state;
        Rival()->m_aiLastState = c.last;
        AIUpdateCompanyMode(g_pUniverse, Rival());
        EXPECT_EQ(Rival()->m_aiState, c.expectState) << c.defense << " structures";
        EXPECT_EQ(Rival()->m_aiLastState, c.expectLast) << c.defense << " structures";
        while (pAt->m_cStructure > first)
            StructureDestroy(&pAt->m_ppStructure[--pAt->m_cStructure]);
    }
}

}  // namespace
}  // namespace motion_test
