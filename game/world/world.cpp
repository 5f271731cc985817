#include "game/world/world.h"

Universe *g_pUniverse = nullptr;
Ship **g_ppShipInfo = nullptr;
Structure **g_ppStructInfo = nullptr;
int g_nextObjectId = 0;
int g_gameState = GAME_STATE_START;
int g_viewMode = VIEW_GALAXY;
System *g_pSelSystem = nullptr;
Planet *g_pSelPlanet = nullptr;

int TypeIsStructure(int type)
{
    return type >= V_TYPE_COLONY && type <= V_TYPE_SAT_VAVUVUR ? 1 : 0;
}

int TypeIsShip(int type)
{
    return type >= V_TYPE_SHIP_DRONE && type <= V_TYPE_MOTHERSHIP_SIEGE ? 1 : 0;
}

int NewObjectId(void)
{
    return g_nextObjectId++;
}
