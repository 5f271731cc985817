#include "game/world/savefile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <charconv>
#include <climits>
#include <new>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "baseutilities/baselist.h"
#include "game/core/2dutils.h"
#include "game/world/armor.h"
#include "game/world/company.h"
#include "game/world/fleet.h"
#include "game/world/moon.h"
#include "game/world/planet.h"
#include "game/world/ship.h"
#include "game/world/structure.h"
#include "game/world/system.h"
#include "game/world/universe.h"
#include "game/world/warpgate.h"
#include "game/world/weapon.h"
#include "game/world/world.h"

enum {
    SAVE_FILE_MAX = 64 * 1024 * 1024,  // far above the largest galaxy's few megabytes
    SAVE_NEXT_ID_MAX = 1000000000,     // leaves the id counter room to go on counting
    SAVE_SILO_EXCESS_MAX = 2 * STRUCTURE_MAX * 250,  // twice the most income one turn brings
};

void SaveSlotFileName(int slot, char *pName, size_t size)
{
    snprintf(pName, size, "vostrel_%i.sauce", slot);
}

static void SetWhy(char *pWhy, size_t whySize, const char *pFormat, ...) __attribute__((format(printf, 3, 4)));

static void SetWhy(char *pWhy, size_t whySize, const char *pFormat, ...)
{
    if (!pWhy || whySize == 0)
        return;
    va_list args;
    va_start(args, pFormat);
    vsnprintf(pWhy, whySize, pFormat, args);
    va_end(args);
}

// A name goes on one line and is read back as the whole line, so it may hold no line break, and
// the reader takes no control character (they would reach the terminal as they are).
static bool NameFitsOneLine(const char *pName)
{
    if (!pName)
        return true;
    size_t length = 0;
    for (const char *p = pName; *p; p++, length++) {
        if ((unsigned char)*p < 32)
            return false;
    }
    return length <= SAVE_LINE_MAX;
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

struct Writer {
    std::string *pOut;
    int n;                 // the next free id, written for every null pointer
    const char *pBadName;  // the first name that cannot be written, or null
};

void PutLine(Writer &w, std::string_view text)
{
    w.pOut->append(text);
    w.pOut->push_back('\n');
}

void PutNumber(Writer &w, long long value)
{
    char text[24];
    auto result = std::to_chars(text, text + sizeof text, value);
    *result.ptr++ = '\n';
    w.pOut->append(text, (size_t)(result.ptr - text));
}

void PutInt(Writer &w, int value) { PutNumber(w, value); }
void PutLong(Writer &w, long long value) { PutNumber(w, value); }
void PutSByte(Writer &w, int value) { PutNumber(w, (int8_t)(uint8_t)value); }
void PutUByte(Writer &w, int value) { PutNumber(w, (uint8_t)value); }

void PutDouble(Writer &w, double value)
{
    char text[400];
    int length = snprintf(text, sizeof text, "%f\n", value);
    w.pOut->append(text, (size_t)std::min(length, (int)sizeof text - 1));
}

void PutString(Writer &w, const char *pText)
{
    if (!NameFitsOneLine(pText) && !w.pBadName)
        w.pBadName = pText;
    PutLine(w, pText ? pText : "");
}

void PutCoord(Writer &w, Coord c)
{
    PutLine(w, "_coord");
    char text[32];
    int length = snprintf(text, sizeof text, "%d,%d\n", c.m_x, c.m_y);
    w.pOut->append(text, (size_t)length);
}

// Characters and attributes of 128 and above go out as negative numbers.
void PutSurface(Writer &w, const Surface *pSurface)
{
    PutLine(w, "_surface");
    int height = pSurface ? pSurface->m_nHeight : 0;
    int width = pSurface ? pSurface->m_nWidth : 0;
    PutInt(w, height);
    PutInt(w, width);
    for (int i = 0; i < width * height; i++) {
        PutSByte(w, pSurface->m_pCells[i].m_attr);
        PutSByte(w, pSurface->m_pCells[i].m_ch);
    }
}

void PutWeapon(Writer &w, const Weapon *pWeapon)
{
    Weapon none = {};
    if (!pWeapon)
        pWeapon = &none;
    PutLine(w, "_weapon");
    PutSByte(w, pWeapon->m_eKind);
    PutSByte(w, pWeapon->m_iDamage);
    PutInt(w, pWeapon->m_iReach);
    PutInt(w, pWeapon->m_iSpare);
}

void PutArmor(Writer &w, const Armor *pArmor)
{
    Armor none = {};
    if (!pArmor)
        pArmor = &none;
    PutLine(w, "_armor");
    PutDouble(w, pArmor->m_fVsFast);
    PutDouble(w, pArmor->m_fVsAtomic);
    PutDouble(w, pArmor->m_fVsLaser);
    PutDouble(w, pArmor->m_fVsHeavy);
    PutInt(w, pArmor->m_iHp);
    PutInt(w, pArmor->m_iBaseHp);
}

template <typename T> long long IdOf(const Writer &w, const T *pObject)
{
    return pObject ? pObject->m_iId : w.n;
}

int OwnerNum(const Company *pOwner)
{
    return pOwner ? pOwner->m_iNum : 0;
}

void PutIndex(Writer &w, long long id, const char *pTag)
{
    PutLine(w, "_index");
    PutLong(w, id);
    PutLine(w, pTag);
    PutLine(w, pTag);
}

// The chain from the first node, each node's values only after the rest of the chain: the last
// node's values come first in the file.
void PutQueue(Writer &w, const BuildQueue *pQueue)
{
    int count = pQueue ? pQueue->m_cNode : 0;
    PutSByte(w, count);
    if (count == 0 || !pQueue->m_pFirst)
        return;
    std::vector<const BuildNode *> nodes;
    for (const BuildNode *pNode = pQueue->m_pFirst; pNode; pNode = pNode->m_pNext) {
        nodes.push_back(pNode);
        PutLine(w, "_buildnode");
        PutSByte(w, pNode->m_pNext ? 0 : 1);
    }
    for (size_t i = nodes.size(); i-- > 0;) {
        PutInt(w, nodes[i]->m_eType);
        PutLong(w, nodes[i]->m_iTurns);
    }
}

const char *StructureTag(int type)
{
    switch (type) {
    case V_TYPE_COLONY: return "_colony";
    case V_TYPE_HARVESTER_ENERGY:
    case V_TYPE_HARVESTER_MATTER: return "_harvester";
    case V_TYPE_SHIPYARD: return "_shipyard";
    case V_TYPE_STORAGE: return "_storage";
    default: return "_satellite";
    }
}

void PutShipEntry(Writer &w, const Ship *pShip)
{
    PutIndex(w, pShip->m_iId, "_ship");
    PutString(w, pShip->m_pName);
    PutInt(w, pShip->m_eType);
    PutLong(w, OwnerNum(pShip->m_pOwner));
    PutSurface(w, pShip->m_pSprite);
    PutInt(w, pShip->m_iFuel);
    PutInt(w, pShip->m_iMatterCost);
    PutInt(w, pShip->m_iEnergyUpkeep);
    PutInt(w, pShip->m_iMatterUpkeep);
    PutInt(w, pShip->m_iMorale);
    PutSByte(w, pShip->m_cSpeed);
    PutWeapon(w, pShip->m_pWeapon);
    PutArmor(w, pShip->m_pArmor);
    PutSByte(w, pShip->m_bMark);
    PutInt(w, pShip->m_eState);
    PutLong(w, pShip->m_iId);
    PutInt(w, pShip->m_aiState);
    PutInt(w, pShip->m_aiLastState);
}

void PutFleetShipEntries(Writer &w, const Fleet *pFleet)
{
    for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext)
        PutShipEntry(w, (const Ship *)pNode->m_pData);
}

void PutStructureEntry(Writer &w, const Structure *pStructure)
{
    PutIndex(w, pStructure->m_iId, StructureTag(pStructure->m_eType));
    switch (pStructure->m_eType) {
    case V_TYPE_COLONY:
    case V_TYPE_SHIPYARD:
        PutQueue(w, pStructure->m_pQueue);
        break;
    case V_TYPE_HARVESTER_ENERGY:
    case V_TYPE_HARVESTER_MATTER:
        PutInt(w, pStructure->m_eType);
        PutInt(w, pStructure->m_iEnergyYield);
        PutInt(w, pStructure->m_iMatterYield);
        break;
    case V_TYPE_STORAGE:
        PutInt(w, pStructure->m_iStoreA);
        PutInt(w, pStructure->m_iStoreB);
        PutInt(w, pStructure->m_iParam);
        break;
    default:
        PutWeapon(w, pStructure->m_pWeapon);
        break;
    }
}

void PutPlanetEntry(Writer &w, const Planet *pPlanet)
{
    PutIndex(w, pPlanet->m_iId, "_planet");
    PutInt(w, pPlanet->m_cMoon);
    PutInt(w, pPlanet->m_cStructure);
    PutInt(w, pPlanet->m_iOwnerNum);
    PutInt(w, pPlanet->m_combatScore);
    PutInt(w, pPlanet->m_iScoreSpare);
    PutInt(w, pPlanet->m_bldScore);
    for (int i = 0; i < pPlanet->m_cStructure; i++)
        PutStructureEntry(w, pPlanet->m_ppStructure[i]);
}

void PutSystemEntry(Writer &w, const System *pSystem)
{
    PutIndex(w, pSystem->m_iId, "_system");
    PutString(w, pSystem->m_pName);
    PutString(w, pSystem->m_pStarName);
    PutSurface(w, pSystem->m_pMap);
    PutSurface(w, pSystem->m_pIcon);
    PutSByte(w, pSystem->m_bFlags);
    PutCoord(w, pSystem->m_size);
    PutCoord(w, pSystem->m_pos);
    PutSByte(w, pSystem->m_eType);
    PutSByte(w, pSystem->m_cPlanet);
    PutSByte(w, pSystem->m_cGate);
    PutSByte(w, pSystem->m_iOwnerNum);
    PutLong(w, pSystem->m_iId);
}

void PutGateEntry(Writer &w, const Warpgate *pGate)
{
    PutIndex(w, pGate->m_iId, "_warpgate");
    PutCoord(w, pGate->m_pos);
    PutSByte(w, pGate->m_cTransit);
    PutSByte(w, pGate->m_bHighlight);
    PutSByte(w, pGate->m_bActive);
    PutInt(w, pGate->m_iMatterCost);
    PutInt(w, pGate->m_iEnergyCost);
    PutLong(w, pGate->m_iId);
}

void PutFleetRecord(Writer &w, const Fleet *pFleet)
{
    PutLine(w, "_fleet");
    PutLong(w, pFleet->m_iId);
    PutLong(w, IdOf(w, pFleet->m_pTargetPlanet));
    PutLong(w, IdOf(w, pFleet->m_pTargetGate));
    PutLong(w, IdOf(w, pFleet->m_pTargetFleet));
    PutLong(w, IdOf(w, pFleet->m_pHomePlanet));
    PutSByte(w, pFleet->m_iOwnerNum);
    PutInt(w, pFleet->m_cShip);
    for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext) {
        const Ship *pShip = (const Ship *)pNode->m_pData;
        PutLine(w, "_ship");
        PutLong(w, pShip->m_iId);
        PutLong(w, IdOf(w, pShip->m_pFleet));
    }
    PutInt(w, (int)pFleet->m_iRange);
    PutUByte(w, pFleet->m_iSight);
    PutLong(w, pFleet->m_iEnergy);
    PutLong(w, pFleet->m_iMatter);
    PutInt(w, pFleet->m_eState);
    PutLong(w, IdOf(w, pFleet->m_pSystem));
    PutSByte(w, pFleet->m_bSelected);
    PutSByte(w, pFleet->m_cStranded);
    PutDouble(w, pFleet->m_dX);
    PutDouble(w, pFleet->m_dY);
    PutCoord(w, pFleet->m_pos);
    PutCoord(w, pFleet->m_dest);
    PutInt(w, pFleet->m_iSpeed);
    PutSurface(w, pFleet->m_pSprite);
    PutLong(w, pFleet->m_iId);
    PutInt(w, pFleet->m_aiState);
    PutInt(w, pFleet->m_aiLastState);
    PutLong(w, IdOf(w, pFleet->m_pAttackTarget));
    PutInt(w, pFleet->m_pRoute ? pFleet->m_pRoute->m_cItem : 0);
    if (pFleet->m_pRoute) {
        for (ListNode *pNode = pFleet->m_pRoute->m_pHead; pNode; pNode = pNode->m_pNext)
            PutLong(w, IdOf(w, (const System *)pNode->m_pData));
    }
}

void PutStructureRecord(Writer &w, const Structure *pStructure)
{
    PutLine(w, "_structure");
    PutLong(w, pStructure->m_iId);
    PutString(w, pStructure->m_pName);
    PutSByte(w, OwnerNum(pStructure->m_pOwner));
    PutSurface(w, pStructure->m_pSprite);
    PutInt(w, pStructure->m_iEnergyCost);
    PutInt(w, pStructure->m_iMatterCost);
    PutInt(w, pStructure->m_iEnergyYield);
    PutInt(w, pStructure->m_iMatterYield);
    PutArmor(w, pStructure->m_pArmor);
    PutWeapon(w, pStructure->m_pWeapon);
    PutLong(w, pStructure->m_iId);
    PutInt(w, pStructure->m_eType);
    PutLine(w, StructureTag(pStructure->m_eType));
    PutLong(w, pStructure->m_iId);
    PutLong(w, pStructure->m_iId);
}

void PutPlanetRecord(Writer &w, const Planet *pPlanet)
{
    PutLine(w, "_planet");
    PutLong(w, pPlanet->m_iId);
    PutString(w, pPlanet->m_pName);
    PutSByte(w, OwnerNum(pPlanet->m_pOwner));
    PutCoord(w, pPlanet->m_pos);
    PutLong(w, IdOf(w, pPlanet->m_pSystem));
    PutSurface(w, pPlanet->m_pSurface);
    PutSurface(w, pPlanet->m_pIcon);
    PutInt(w, pPlanet->m_iEnergy);
    PutInt(w, pPlanet->m_iMatter);
    PutInt(w, pPlanet->m_eKind);
    PutInt(w, pPlanet->m_cStructure);
    PutInt(w, pPlanet->m_nStructureMax);
    PutInt(w, pPlanet->m_iSpare);
    PutSByte(w, pPlanet->m_bFlags);
    PutLong(w, pPlanet->m_iId);
    PutInt(w, pPlanet->m_aiState);
    PutInt(w, pPlanet->m_aiLastState);
    for (int i = 0; i < pPlanet->m_cMoon; i++) {
        PutLine(w, "_moon");
        PutLong(w, IdOf(w, pPlanet->m_ppMoon ? pPlanet->m_ppMoon[i] : nullptr));
    }
    for (int i = 0; i < pPlanet->m_cStructure; i++)
        PutStructureRecord(w, pPlanet->m_ppStructure[i]);
    PutLong(w, IdOf(w, pPlanet->m_pFleet));
    if (pPlanet->m_pFleet)
        PutFleetRecord(w, pPlanet->m_pFleet);
}

void PutGateRecord(Writer &w, const Warpgate *pGate)
{
    PutLine(w, "_warpgate");
    PutLong(w, pGate->m_iId);
    PutLong(w, IdOf(w, pGate->m_pSystem));
    PutLong(w, IdOf(w, pGate->m_pPair));
    PutSurface(w, pGate->m_pSprite);
    PutLong(w, IdOf(w, pGate->m_pTransitFleet));
}

void PutSystemRecord(Writer &w, const System *pSystem)
{
    PutLine(w, "_system");
    PutLong(w, pSystem->m_iId);
    PutInt(w, pSystem->m_pFleets->m_cItem);
    for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext) {
        const Fleet *pFleet = (const Fleet *)pNode->m_pData;
        PutLong(w, pFleet->m_iId);
        PutFleetRecord(w, pFleet);
    }
    for (int i = 0; i < pSystem->m_cPlanet; i++)
        PutPlanetRecord(w, pSystem->m_ppPlanet[i]);
    for (int i = 0; i < pSystem->m_cGate; i++)
        PutGateRecord(w, pSystem->m_ppGate[i]);
}

void PutCompanies(Writer &w, const Universe *pUniverse)
{
    PutLine(w, "_companies");
    PutInt(w, pUniverse->m_cCompany);
    for (int k = 0; k < pUniverse->m_cCompany; k++) {
        const Company *pCompany = pUniverse->m_ppCompany[k];
        PutLine(w, "_company");
        PutString(w, pCompany->m_pName);
        PutInt(w, pCompany->m_bAI);
        PutUByte(w, pCompany->m_color);
        PutInt(w, pCompany->m_iEnergy);
        PutInt(w, pCompany->m_iMatter);
        PutInt(w, pCompany->m_cFleet);
        PutInt(w, pCompany->m_cColony);
        PutInt(w, pCompany->m_offenseScore);
        PutInt(w, pCompany->m_defenseScore);
        PutSByte(w, pCompany->m_iNum);
        PutInt(w, pCompany->m_aiState);
        PutInt(w, pCompany->m_aiLastState);
    }
}

void PutObjectTable(Writer &w, const Universe *pUniverse)
{
    PutLine(w, "_structs");
    PutLong(w, w.n);
    for (int s = 0; s < pUniverse->m_cSystem; s++) {
        const System *pSystem = pUniverse->m_ppSystem[s];
        for (int i = 0; i < pSystem->m_cPlanet; i++) {
            if (pSystem->m_ppPlanet[i]->m_pFleet)
                PutFleetShipEntries(w, pSystem->m_ppPlanet[i]->m_pFleet);
        }
        for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
            PutFleetShipEntries(w, (const Fleet *)pNode->m_pData);
    }
    for (int s = 0; s < pUniverse->m_cSystem; s++) {
        const System *pSystem = pUniverse->m_ppSystem[s];
        for (int i = 0; i < pSystem->m_cPlanet; i++)
            PutPlanetEntry(w, pSystem->m_ppPlanet[i]);
    }
    for (int s = 0; s < pUniverse->m_cSystem; s++)
        PutSystemEntry(w, pUniverse->m_ppSystem[s]);
    for (int s = 0; s < pUniverse->m_cSystem; s++) {
        const System *pSystem = pUniverse->m_ppSystem[s];
        for (int i = 0; i < pSystem->m_cGate; i++)
            PutGateEntry(w, pSystem->m_ppGate[i]);
    }
    for (int s = 0; s < pUniverse->m_cSystem; s++) {
        const System *pSystem = pUniverse->m_ppSystem[s];
        for (int i = 0; i < pSystem->m_cPlanet; i++) {
            if (pSystem->m_ppPlanet[i]->m_pFleet)
                PutIndex(w, pSystem->m_ppPlanet[i]->m_pFleet->m_iId, "_fleet");
        }
        for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
            PutIndex(w, ((const Fleet *)pNode->m_pData)->m_iId, "_fleet");
    }
    PutLine(w, "_end");
}

}  // namespace

int WriteUniverse(const Universe *pUniverse, std::string *pText, char *pWhy, size_t whySize)
{
    pText->clear();
    if (!pUniverse) {
        SetWhy(pWhy, whySize, "there is no game to save");
        return 1;
    }
    pText->reserve(8u << 20);
    Writer w = {pText, g_nextObjectId, nullptr};
    PutCompanies(w, pUniverse);
    PutObjectTable(w, pUniverse);

    PutLine(w, "_companies");
    PutInt(w, pUniverse->m_cCompany);
    for (int k = 0; k < pUniverse->m_cCompany; k++) {
        const Company *pCompany = pUniverse->m_ppCompany[k];
        for (int i = 0; i < pCompany->m_cFleet; i++)
            PutFleetRecord(w, pCompany->m_ppFleet[i]);
    }

    PutLine(w, "_universe");
    PutCoord(w, pUniverse->m_size);
    PutCoord(w, pUniverse->m_coordSpare);
    PutSByte(w, pUniverse->m_cSystem);
    for (int s = 0; s < pUniverse->m_cSystem; s++)
        PutSystemRecord(w, pUniverse->m_ppSystem[s]);
    PutSByte(w, pUniverse->m_cCompany);
    PutSurface(w, pUniverse->m_pSurface);
    PutLong(w, pUniverse->m_iTurn);

    if (w.pBadName) {
        SetWhy(pWhy, whySize, "the name \"%.40s\" cannot be written on one line", w.pBadName);
        pText->clear();
        return 1;
    }
    return 0;
}

// A save killed between mkstemp and rename leaves its new file behind, named after the slot with
// this mark and six more characters; the next good save of the slot clears them away. The mark
// keeps the player's own copies beside the slot ("vostrel_0.sauce.backup") out of reach.
static const char TEMP_MARK[] = ".saving.";

static void RemoveStaleTemps(const std::string &dirName, const char *pBaseName)
{
    DIR *pDir = opendir(dirName.c_str());
    if (!pDir)
        return;
    std::string prefix = std::string(pBaseName) + TEMP_MARK;
    while (const struct dirent *pEntry = readdir(pDir)) {
        const char *pName = pEntry->d_name;
        if (strncmp(pName, prefix.c_str(), prefix.size()) != 0 || strlen(pName) != prefix.size() + 6)
            continue;
        bool bTemp = true;
        for (const char *p = pName + prefix.size(); *p; p++)
            bTemp = bTemp && isalnum((unsigned char)*p);
        if (bTemp)
            unlinkat(dirfd(pDir), pName, 0);
    }
    closedir(pDir);
}

// The text goes to a new file beside the slot, which is synced and then renamed over the slot:
// a crash, a kill or a full disk at any point leaves the slot holding the old save or the new
// one, whole. Every step is checked; on failure the new file is removed.
int SaveUniverse(const char *pFileName, const Universe *pUniverse, char *pWhy, size_t whySize)
{
    std::string text;
    if (WriteUniverse(pUniverse, &text, pWhy, whySize) != 0)
        return 1;

    std::string tempName = std::string(pFileName) + TEMP_MARK + "XXXXXX";
    int fd = mkstemp(tempName.data());
    if (fd < 0) {
        SetWhy(pWhy, whySize, "cannot create a file beside %s: %s", pFileName, strerror(errno));
        return 1;
    }
    const char *pStep = nullptr;
    int error = 0;
    size_t done = 0;
    while (done < text.size() && !pStep) {
        ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC;
            pStep = "writing";
        } else {
            done += (size_t)written;
        }
    }
    // mkstemp makes the file private; a save is as readable as any other file the player makes.
    mode_t mask = umask(0);
    umask(mask);
    if (!pStep && fchmod(fd, 0666 & ~mask) != 0) {
        error = errno;
        pStep = "setting the permissions of";
    }
    if (!pStep && fsync(fd) != 0) {
        error = errno;
        pStep = "syncing";
    }
    if (close(fd) != 0 && !pStep) {
        error = errno;
        pStep = "closing";
    }
    if (!pStep && rename(tempName.c_str(), pFileName) != 0) {
        error = errno;
        pStep = "renaming";
    }
    if (pStep) {
        unlink(tempName.c_str());
        SetWhy(pWhy, whySize, "%s the file failed: %s", pStep, strerror(error));
        return 1;
    }
    // The rename itself reaches the disk with the directory.
    std::string dirName = pFileName;
    size_t slash = dirName.rfind('/');
    dirName = slash == std::string::npos ? "." : slash == 0 ? "/" : dirName.substr(0, slash);
    RemoveStaleTemps(dirName, slash == std::string::npos ? pFileName : pFileName + slash + 1);
    int dirFd = open(dirName.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        int rc = fsync(dirFd);
        int syncError = errno;
        close(dirFd);
        if (rc != 0 && syncError != EINVAL) {
            SetWhy(pWhy, whySize, "syncing the folder failed: %s", strerror(syncError));
            return 1;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Reading

namespace {

enum Kind : uint8_t {
    KIND_SHIP = 1,
    KIND_PLANET,
    KIND_STRUCTURE,
    KIND_SYSTEM,
    KIND_GATE,
    KIND_FLEET,
};

const char *KindName(int kind)
{
    static const char *const s_names[] = {"nothing", "ship", "planet", "structure", "system", "warp gate", "fleet"};
    return kind >= 0 && kind <= KIND_FLEET ? s_names[kind] : "nothing";
}

struct Entry {
    void *pObject;
    uint8_t kind;
    uint8_t bFilled;          // its full record has been read
    uint8_t cPlaced;          // times the finished world holds it
    const char *pRecord;      // a fleet's full record text, to compare a second description with
    size_t recordLength;
};

struct LoadFault {
    char text[SAVE_ERROR_MAX];
};

struct Reader {
    const char *p, *end;
    int line;                                 // of the last line read
    long long n;                              // the next free id; names no object
    std::vector<Company *> companies;         // entry 0 stands for no company
    std::unordered_map<int, Entry> table;
    std::vector<Fleet *> fleetOrder;          // fleets in the order they were listed, for freeing
    Universe *pUniverse;
};

[[noreturn]] void Fail(Reader &r, const char *pFormat, ...) __attribute__((format(printf, 2, 3)));

[[noreturn]] void Fail(Reader &r, const char *pFormat, ...)
{
    LoadFault fault;
    int length = snprintf(fault.text, sizeof fault.text, "line %d: ", r.line);
    va_list args;
    va_start(args, pFormat);
    vsnprintf(fault.text + length, sizeof fault.text - (size_t)length, pFormat, args);
    va_end(args);
    throw fault;
}

template <typename T> T *Allocate(Reader &r)
{
    T *pObject = (T *)calloc(1, sizeof(T));
    if (!pObject)
        Fail(r, "out of memory");
    return pObject;
}

std::string_view NextLine(Reader &r)
{
    if (r.p >= r.end) {
        r.line++;
        Fail(r, "the file ends early");
    }
    const char *pEnd = (const char *)memchr(r.p, '\n', (size_t)(r.end - r.p));
    if (!pEnd)
        pEnd = r.end;
    std::string_view text(r.p, (size_t)(pEnd - r.p));
    r.p = pEnd < r.end ? pEnd + 1 : pEnd;
    r.line++;
    if (text.size() > SAVE_LINE_MAX)
        Fail(r, "the line is too long");
    return text;
}

size_t Remaining(const Reader &r)
{
    return (size_t)(r.end - r.p);
}

void ExpectTag(Reader &r, const char *pTag)
{
    std::string_view text = NextLine(r);
    if (text != pTag)
        Fail(r, "\"%s\" was expected", pTag);
}

long long ReadNumber(Reader &r, long long low, long long high, const char *pWhat)
{
    std::string_view text = NextLine(r);
    long long value = 0;
    const char *pFirst = text.data();
    const char *pLast = text.data() + text.size();
    auto result = std::from_chars(pFirst, pLast, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != pLast || text[0] == '+')
        Fail(r, "%s was expected", pWhat);
    if (value < low || value > high)
        Fail(r, "%s %lld is out of range", pWhat, value);
    return value;
}

int ReadInt(Reader &r, const char *pWhat = "a number")
{
    return (int)ReadNumber(r, INT_MIN, INT_MAX, pWhat);
}

int ReadIntIn(Reader &r, int low, int high, const char *pWhat)
{
    return (int)ReadNumber(r, low, high, pWhat);
}

int ReadSByte(Reader &r, const char *pWhat = "a small number")
{
    return (int)ReadNumber(r, INT8_MIN, INT8_MAX, pWhat);
}

int ReadUByte(Reader &r, const char *pWhat = "a small number")
{
    return (int)ReadNumber(r, 0, UINT8_MAX, pWhat);
}

double ReadDouble(Reader &r, double limit, const char *pWhat)
{
    std::string_view text = NextLine(r);
    bool bPlain = !text.empty();
    for (char c : text)
        bPlain = bPlain && ((c >= '0' && c <= '9') || c == '-' || c == '.');
    char copy[SAVE_LINE_MAX + 1];
    memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    char *pEnd = nullptr;
    double value = bPlain ? strtod(copy, &pEnd) : 0.0;
    if (!bPlain || pEnd != copy + text.size() || !std::isfinite(value))
        Fail(r, "%s was expected", pWhat);
    if (std::fabs(value) > limit)
        Fail(r, "%s is out of range", pWhat);
    return value;
}

std::string_view ReadName(Reader &r)
{
    std::string_view text = NextLine(r);
    for (char c : text) {
        if ((unsigned char)c < 32)
            Fail(r, "a name holds a control character");
    }
    return text;
}

char *CopyName(Reader &r, std::string_view text)
{
    char *pCopy = (char *)malloc(text.size() + 1);
    if (!pCopy)
        Fail(r, "out of memory");
    memcpy(pCopy, text.data(), text.size());
    pCopy[text.size()] = '\0';
    return pCopy;
}

Coord ReadCoord(Reader &r, const char *pWhat)
{
    ExpectTag(r, "_coord");
    std::string_view text = NextLine(r);
    size_t comma = text.find(',');
    Coord c = {0, 0};
    if (comma == std::string_view::npos)
        Fail(r, "%s was expected as two numbers", pWhat);
    auto first = std::from_chars(text.data(), text.data() + comma, c.m_x);
    auto second = std::from_chars(text.data() + comma + 1, text.data() + text.size(), c.m_y);
    if (comma == 0 || first.ec != std::errc() || first.ptr != text.data() + comma || second.ec != std::errc() ||
        second.ptr != text.data() + text.size() || comma + 1 == text.size() || text[comma + 1] == '+')
        Fail(r, "%s was expected as two numbers", pWhat);
    return c;
}

Coord ReadPlace(Reader &r, Coord size, const char *pWhat)
{
    Coord c = ReadCoord(r, pWhat);
    if (c.m_x < 0 || c.m_y < 0 || c.m_x >= size.m_x || c.m_y >= size.m_y)
        Fail(r, "%s %d,%d lies off the map", pWhat, c.m_x, c.m_y);
    return c;
}

// The surface is made in its record's slot before its cells are read, so a fault part-way through
// leaves it with its record and it is freed with it. A cell takes four bytes at least, so a size
// the rest of the file cannot hold is refused before anything is allocated.
void ReadSurface(Reader &r, Surface **ppSlot, const char *pWhat)
{
    ExpectTag(r, "_surface");
    int height = ReadIntIn(r, 1, SAVE_MAP_MAX, "a picture's height");
    int width = ReadIntIn(r, 1, SAVE_MAP_MAX, "a picture's width");
    if ((size_t)width * (size_t)height > Remaining(r) / 4)
        Fail(r, "%s of %d x %d cells does not fit in the rest of the file", pWhat, width, height);
    *ppSlot = CreateSurface(width, height);
    if (!*ppSlot)
        Fail(r, "out of memory");
    Cell *pCells = (*ppSlot)->m_pCells;
    for (int i = 0; i < width * height; i++) {
        pCells[i].m_attr = (unsigned char)ReadSByte(r, "a cell's attribute");
        pCells[i].m_ch = (unsigned char)ReadSByte(r, "a cell's character");
    }
}

void ReadWeapon(Reader &r, Weapon **ppSlot)
{
    ExpectTag(r, "_weapon");
    *ppSlot = Allocate<Weapon>(r);
    (*ppSlot)->m_eKind = ReadNumber(r, WEAPON_NONE, WEAPON_ALL, "a weapon kind");
    (*ppSlot)->m_iDamage = (uint8_t)ReadSByte(r, "a weapon's damage");
    (*ppSlot)->m_iReach = ReadInt(r);
    (*ppSlot)->m_iSpare = ReadInt(r);
}

void ReadArmor(Reader &r, Armor **ppSlot)
{
    ExpectTag(r, "_armor");
    *ppSlot = Allocate<Armor>(r);
    Armor *pArmor = *ppSlot;
    pArmor->m_fVsFast = (float)ReadDouble(r, 1e6, "an armor multiplier");
    pArmor->m_fVsAtomic = (float)ReadDouble(r, 1e6, "an armor multiplier");
    pArmor->m_fVsLaser = (float)ReadDouble(r, 1e6, "an armor multiplier");
    pArmor->m_fVsHeavy = (float)ReadDouble(r, 1e6, "an armor multiplier");
    pArmor->m_iHp = ReadInt(r);
    pArmor->m_iBaseHp = ReadInt(r);
}

Company *ResolveCompany(Reader &r, int num)
{
    if (num < 0 || (size_t)num >= r.companies.size())
        Fail(r, "company number %d is outside the company table", num);
    return r.companies[(size_t)num];
}

long long ReadId(Reader &r)
{
    return ReadNumber(r, LLONG_MIN, LLONG_MAX, "an object id");
}

// An id below N that no entry filled names nothing a game could have written: refused, like an
// id outside the table or one naming an object of another kind.
void *Resolve(Reader &r, long long id, int kind, bool bNullable)
{
    if (id == r.n) {
        if (!bNullable)
            Fail(r, "a %s is missing where one must be", KindName(kind));
        return nullptr;
    }
    if (id < 0 || id > r.n)
        Fail(r, "id %lld is outside the object table", id);
    auto it = r.table.find((int)id);
    if (it == r.table.end())
        Fail(r, "id %lld names no object", id);
    if (it->second.kind != kind)
        Fail(r, "id %lld names a %s where a %s belongs", id, KindName(it->second.kind), KindName(kind));
    return it->second.pObject;
}

template <typename T> T *ReadRef(Reader &r, int kind, bool bNullable)
{
    return (T *)Resolve(r, ReadId(r), kind, bNullable);
}

Entry &EntryOf(Reader &r, long long id, int kind)
{
    Resolve(r, id, kind, false);
    return r.table.find((int)id)->second;
}

void ExpectSameId(Reader &r, long long id, long long expected)
{
    if (id != expected)
        Fail(r, "id %lld was expected here, not %lld", expected, id);
}

/* Step 1: the companies. */

void ReadCompanies(Reader &r)
{
    ExpectTag(r, "_companies");
    // Every company takes more than 20 lines, and the table must fit a company number.
    int n = ReadIntIn(r, 1, INT8_MAX, "the company count");
    r.companies.push_back(nullptr);
    for (int k = 1; k <= n; k++) {
        ExpectTag(r, "_company");
        std::string_view name = ReadName(r);
        Company *pCompany = Allocate<Company>(r);
        r.companies.push_back(pCompany);
        pCompany->m_pName = CopyName(r, name);
        pCompany->m_bAI = ReadIntIn(r, 0, 1, "the computer flag");
        // The game starts with the player's company first and shows it as "Your Company".
        if (pCompany->m_bAI != (k == 1 ? 0 : 1))
            Fail(r, "company %d is %s", k, k == 1 ? "not the player's" : "a second player");
        pCompany->m_color = (uint8_t)ReadUByte(r, "a colour");
        pCompany->m_iEnergy = ReadInt(r);
        pCompany->m_iMatter = ReadInt(r);
        // A company's fleet is a full record of a few hundred bytes.
        pCompany->m_cFleet = ReadIntIn(r, 0, INT_MAX, "a fleet count");
        if ((size_t)pCompany->m_cFleet > Remaining(r) / 64)
            Fail(r, "the fleet count %d does not fit in the rest of the file", pCompany->m_cFleet);
        pCompany->m_cColony = ReadIntIn(r, 0, INT_MAX, "a colony count");
        pCompany->m_offenseScore = ReadInt(r);
        pCompany->m_defenseScore = ReadInt(r);
        int num = ReadSByte(r, "a company number");
        if (num != k)
            Fail(r, "company %d carries the number %d", k, num);
        pCompany->m_iNum = (uint8_t)num;
        pCompany->m_aiState = ReadIntIn(r, COMPANY_AI_START, COMPANY_AI_COLONIZE, "a company state");
        pCompany->m_aiLastState = ReadIntIn(r, COMPANY_AI_START, COMPANY_AI_COLONIZE, "a company state");
    }
}

/* Step 2: the object table. */

void ReadQueue(Reader &r, BuildQueue *pQueue, bool bShips)
{
    int count = (uint8_t)ReadSByte(r, "a queue length");
    if (count == 0)
        return;
    std::vector<BuildNode *> nodes;
    for (;;) {
        ExpectTag(r, "_buildnode");
        BuildNode *pNode = Allocate<BuildNode>(r);
        if (pQueue->m_pLast)
            pQueue->m_pLast->m_pNext = pNode;
        else
            pQueue->m_pFirst = pNode;
        pQueue->m_pLast = pNode;
        nodes.push_back(pNode);
        int bLast = ReadIntIn(r, 0, 1, "a queue node flag");
        if (bLast)
            break;
        if ((int)nodes.size() >= count)
            Fail(r, "the queue holds more nodes than its count of %d", count);
    }
    if ((int)nodes.size() != count)
        Fail(r, "the queue holds %d nodes, not its count of %d", (int)nodes.size(), count);
    pQueue->m_cNode = (int8_t)(uint8_t)count;
    for (size_t i = nodes.size(); i-- > 0;) {
        int type = ReadInt(r, "a queued type");
        if (bShips ? !TypeIsShip(type) : (type < V_TYPE_HARVESTER_ENERGY || type > V_TYPE_SAT_VAVUVUR))
            Fail(r, "a %s queue holds type %d, which it cannot build", bShips ? "Shipyard" : "Colony", type);
        nodes[i]->m_eType = type;
        nodes[i]->m_iTurns = (int)ReadNumber(r, bShips ? 0 : INT_MIN, INT_MAX, "a queued item's turns");
    }
}

void AddEntry(Reader &r, long long id, void *pObject, int kind)
{
    Entry entry = {pObject, (uint8_t)kind, 0, 0, nullptr, 0};
    r.table.emplace((int)id, entry);
}

void ReadShipEntry(Reader &r, long long id)
{
    Ship *pShip = Allocate<Ship>(r);
    AddEntry(r, id, pShip, KIND_SHIP);
    pShip->m_pName = CopyName(r, ReadName(r));
    pShip->m_eType = ReadInt(r, "a ship type");
    if (!TypeIsShip(pShip->m_eType))
        Fail(r, "%d is no ship type", pShip->m_eType);
    pShip->m_pOwner = ResolveCompany(r, (int)ReadNumber(r, INT_MIN, INT_MAX, "a company number"));
    ReadSurface(r, &pShip->m_pSprite, "a ship's picture");
    pShip->m_iFuel = ReadInt(r);
    pShip->m_iMatterCost = ReadInt(r);
    pShip->m_iEnergyUpkeep = ReadInt(r);
    pShip->m_iMatterUpkeep = ReadInt(r);
    pShip->m_iMorale = ReadInt(r);
    pShip->m_cSpeed = (int8_t)ReadIntIn(r, 0, INT8_MAX, "a ship's speed");
    ReadWeapon(r, &pShip->m_pWeapon);
    ReadArmor(r, &pShip->m_pArmor);
    pShip->m_bMark = (int8_t)ReadSByte(r);
    pShip->m_eState = ReadIntIn(r, SHIP_ACTIVE, SHIP_DESTROYED, "a ship state");
    pShip->m_iId = (int)id;
    ExpectSameId(r, ReadId(r), id);
    pShip->m_aiState = ReadInt(r);
    pShip->m_aiLastState = ReadInt(r);
}

void ReadPlanetEntry(Reader &r, long long id)
{
    Planet *pPlanet = Allocate<Planet>(r);
    AddEntry(r, id, pPlanet, KIND_PLANET);
    pPlanet->m_iId = (int)id;
    // No game makes moons; their records are not in the file, so none could be read back.
    pPlanet->m_cMoon = ReadIntIn(r, 0, 0, "the moon count");
    pPlanet->m_cStructure = ReadIntIn(r, 0, STRUCTURE_MAX, "a structure count");
    pPlanet->m_iOwnerNum = ReadInt(r, "a company number");
    ResolveCompany(r, pPlanet->m_iOwnerNum);
    pPlanet->m_combatScore = ReadInt(r);
    pPlanet->m_iScoreSpare = ReadInt(r);
    pPlanet->m_bldScore = ReadInt(r);
    // Room for every structure a planet may hold, so that loaded planets go on building.
    pPlanet->m_nStructureMax = STRUCTURE_MAX;
    pPlanet->m_ppStructure = (Structure **)calloc(STRUCTURE_MAX, sizeof(Structure *));
    if (!pPlanet->m_ppStructure)
        Fail(r, "out of memory");
}

void ReadStructureEntry(Reader &r, long long id, std::string_view tag)
{
    Structure *pStructure = Allocate<Structure>(r);
    AddEntry(r, id, pStructure, KIND_STRUCTURE);
    pStructure->m_iId = (int)id;
    if (tag == "_colony" || tag == "_shipyard") {
        pStructure->m_eType = tag == "_colony" ? V_TYPE_COLONY : V_TYPE_SHIPYARD;
        pStructure->m_pQueue = Allocate<BuildQueue>(r);
        ReadQueue(r, pStructure->m_pQueue, pStructure->m_eType == V_TYPE_SHIPYARD);
    } else if (tag == "_harvester") {
        pStructure->m_eType = ReadIntIn(r, V_TYPE_HARVESTER_ENERGY, V_TYPE_HARVESTER_MATTER, "a harvester type");
        ReadInt(r);  // the yields come again in the full record, which sets them
        ReadInt(r);
    } else if (tag == "_storage") {
        pStructure->m_eType = V_TYPE_STORAGE;
        pStructure->m_iStoreA = ReadInt(r);
        pStructure->m_iStoreB = ReadInt(r);
        pStructure->m_iParam = ReadIntIn(r, 0, INT_MAX, "a silo's capacity");
    } else {
        pStructure->m_eType = V_TYPE_SAT_FAST;  // the full record tells which satellite
        ReadWeapon(r, &pStructure->m_pWeapon);
    }
}

void ReadSystemEntry(Reader &r, long long id)
{
    System *pSystem = Allocate<System>(r);
    AddEntry(r, id, pSystem, KIND_SYSTEM);
    pSystem->m_iId = (int)id;
    pSystem->m_pName = CopyName(r, ReadName(r));
    pSystem->m_pStarName = CopyName(r, ReadName(r));
    ReadSurface(r, &pSystem->m_pMap, "a system map");
    ReadSurface(r, &pSystem->m_pIcon, "a system icon");
    pSystem->m_bFlags = (uint8_t)ReadSByte(r);
    pSystem->m_size = ReadCoord(r, "a system's size");
    if (pSystem->m_size.m_x != pSystem->m_pMap->m_nWidth || pSystem->m_size.m_y != pSystem->m_pMap->m_nHeight)
        Fail(r, "the system's size is not its map's");
    pSystem->m_pos = ReadCoord(r, "a system's place");
    pSystem->m_eType = ReadIntIn(r, STAR_SOLAR, STAR_BLUE, "a star type");
    pSystem->m_cPlanet = (int8_t)ReadIntIn(r, 0, INT8_MAX, "a planet count");
    pSystem->m_cGate = (int8_t)ReadIntIn(r, 0, INT8_MAX, "a gate count");
    pSystem->m_iOwnerNum = (int8_t)ReadSByte(r, "a company number");
    pSystem->m_pOwner = ResolveCompany(r, pSystem->m_iOwnerNum);
    ExpectSameId(r, ReadId(r), id);
    pSystem->m_pFleets = ListCreate();
    pSystem->m_ppPlanet = (Planet **)calloc((size_t)pSystem->m_cPlanet + 1, sizeof(Planet *));
    pSystem->m_ppGate = (Warpgate **)calloc((size_t)pSystem->m_cGate + 1, sizeof(Warpgate *));
    if (!pSystem->m_pFleets || !pSystem->m_ppPlanet || !pSystem->m_ppGate)
        Fail(r, "out of memory");
}

void ReadGateEntry(Reader &r, long long id)
{
    Warpgate *pGate = Allocate<Warpgate>(r);
    AddEntry(r, id, pGate, KIND_GATE);
    pGate->m_iId = (int)id;
    pGate->m_pos = ReadCoord(r, "a gate's place");
    pGate->m_cTransit = (int8_t)ReadSByte(r);
    pGate->m_bHighlight = (int8_t)ReadSByte(r);
    pGate->m_bActive = (int8_t)ReadIntIn(r, 0, 1, "a gate's active flag");
    pGate->m_iMatterCost = ReadInt(r);
    pGate->m_iEnergyCost = ReadInt(r);
    ExpectSameId(r, ReadId(r), id);
}

void ReadFleetEntry(Reader &r, long long id)
{
    Fleet *pFleet = Allocate<Fleet>(r);
    AddEntry(r, id, pFleet, KIND_FLEET);
    r.fleetOrder.push_back(pFleet);
    pFleet->m_iId = (int)id;
    pFleet->m_pShips = ListCreate();
    pFleet->m_pRoute = QueueCreate();
    if (!pFleet->m_pShips || !pFleet->m_pRoute)
        Fail(r, "out of memory");
}

void ReadObjectTable(Reader &r)
{
    ExpectTag(r, "_structs");
    r.n = ReadNumber(r, 0, SAVE_NEXT_ID_MAX, "the next object id");
    for (;;) {
        std::string_view word = NextLine(r);
        if (word == "_end")
            break;
        if (word != "_index")
            Fail(r, "\"_index\" or \"_end\" was expected");
        long long id = ReadNumber(r, 0, r.n - 1, "an object id");
        if (r.table.count((int)id))
            Fail(r, "object %lld is listed twice", id);
        std::string_view tag = NextLine(r);
        if (NextLine(r) != tag)
            Fail(r, "the entry's tag is not written twice");
        if (tag == "_ship")
            ReadShipEntry(r, id);
        else if (tag == "_planet")
            ReadPlanetEntry(r, id);
        else if (tag == "_colony" || tag == "_shipyard" || tag == "_harvester" || tag == "_storage" ||
                 tag == "_satellite")
            ReadStructureEntry(r, id, tag);
        else if (tag == "_system")
            ReadSystemEntry(r, id);
        else if (tag == "_warpgate")
            ReadGateEntry(r, id);
        else if (tag == "_fleet")
            ReadFleetEntry(r, id);
        else
            Fail(r, "an entry of an unknown kind");
    }
}

/* Steps 3 and 4: the full records. */

void ClearFleetLists(Fleet *pFleet)
{
    while (!ListIsEmpty(pFleet->m_pShips))
        QueuePop(pFleet->m_pShips);
    QueueClear(pFleet->m_pRoute);
    DestroySurface(&pFleet->m_pSprite);
}

// The company fleets and the universe describe the same fleet twice; the second description
// must say the same as the first.
Fleet *ReadFleetRecord(Reader &r, long long expectedId, bool bCompanyList)
{
    const char *pStart = r.p;
    ExpectTag(r, "_fleet");
    long long id = ReadId(r);
    if (expectedId >= 0)
        ExpectSameId(r, id, expectedId);
    Entry &entry = EntryOf(r, id, KIND_FLEET);
    Fleet *pFleet = (Fleet *)entry.pObject;
    if (entry.bFilled && bCompanyList)
        Fail(r, "fleet %lld is listed twice by the companies", id);
    bool bAgain = entry.bFilled;
    ClearFleetLists(pFleet);

    pFleet->m_pTargetPlanet = ReadRef<Planet>(r, KIND_PLANET, true);
    pFleet->m_pTargetGate = ReadRef<Warpgate>(r, KIND_GATE, true);
    pFleet->m_pTargetFleet = ReadRef<Fleet>(r, KIND_FLEET, true);
    if (pFleet->m_pTargetFleet == pFleet)
        Fail(r, "fleet %lld chases itself", id);
    pFleet->m_pHomePlanet = ReadRef<Planet>(r, KIND_PLANET, true);
    pFleet->m_iOwnerNum = (uint8_t)ReadSByte(r, "a company number");
    pFleet->m_pOwner = ResolveCompany(r, pFleet->m_iOwnerNum);
    int cShip = ReadIntIn(r, 0, UINT16_MAX, "a ship count");
    pFleet->m_cShip = (uint16_t)cShip;
    for (int i = 0; i < cShip; i++) {
        ExpectTag(r, "_ship");
        Ship *pShip = ReadRef<Ship>(r, KIND_SHIP, false);
        if (ReadRef<Fleet>(r, KIND_FLEET, false) != pFleet)
            Fail(r, "a ship of fleet %lld names another fleet as its own", id);
        if (!ListAppend(pFleet->m_pShips, pShip))
            Fail(r, "out of memory");
        pShip->m_pFleet = pFleet;
    }
    pFleet->m_iRange = (uint32_t)ReadInt(r);
    pFleet->m_iSight = (uint8_t)ReadUByte(r, "a sight radius");
    pFleet->m_iEnergy = (int)ReadNumber(r, INT_MIN, INT_MAX, "a supply");
    pFleet->m_iMatter = (int)ReadNumber(r, INT_MIN, INT_MAX, "a supply");
    pFleet->m_eState = ReadIntIn(r, FLEET_IDLE, FLEET_DISBAND, "a fleet state");
    pFleet->m_pSystem = ReadRef<System>(r, KIND_SYSTEM, true);
    pFleet->m_bSelected = (int8_t)ReadSByte(r);
    pFleet->m_cStranded = (int8_t)ReadSByte(r);
    pFleet->m_dX = ReadDouble(r, SAVE_MAP_MAX + 1, "a fleet's position");
    pFleet->m_dY = ReadDouble(r, SAVE_MAP_MAX + 1, "a fleet's position");
    pFleet->m_pos = ReadCoord(r, "a fleet's place");
    pFleet->m_dest = ReadCoord(r, "a fleet's destination");
    pFleet->m_iSpeed = ReadIntIn(r, 0, INT8_MAX, "a fleet's speed");
    ReadSurface(r, &pFleet->m_pSprite, "a fleet's picture");
    ExpectSameId(r, ReadId(r), id);
    pFleet->m_aiState = ReadInt(r);
    pFleet->m_aiLastState = ReadInt(r);
    pFleet->m_pAttackTarget = ReadRef<Planet>(r, KIND_PLANET, true);
    int cRoute = ReadIntIn(r, 0, INT_MAX, "a route length");
    if ((size_t)cRoute > Remaining(r) / 2)
        Fail(r, "the route of %d systems does not fit in the rest of the file", cRoute);
    for (int i = 0; i < cRoute; i++) {
        if (!QueuePush(pFleet->m_pRoute, ReadRef<System>(r, KIND_SYSTEM, false)))
            Fail(r, "out of memory");
    }
    // The ship count an AI fleet turns angry at is not in the file: it is drawn from the id, in
    // the range a new fleet draws it from, so that loading the same file gives the same game.
    pFleet->m_aiSize = FLEET_AI_SIZE_MIN + (int)(id % (FLEET_AI_SIZE_MAX - FLEET_AI_SIZE_MIN + 1));

    size_t length = (size_t)(r.p - pStart);
    if (bAgain && (length != entry.recordLength || memcmp(pStart, entry.pRecord, length) != 0))
        Fail(r, "fleet %lld is described twice, differently", id);
    entry.bFilled = 1;
    entry.pRecord = pStart;
    entry.recordLength = length;
    return pFleet;
}

void ReadCompanyFleets(Reader &r)
{
    ExpectTag(r, "_companies");
    int n = ReadInt(r, "the company count");
    if (n != (int)r.companies.size() - 1)
        Fail(r, "the company count %d differs from the %d companies", n, (int)r.companies.size() - 1);
    for (size_t k = 1; k < r.companies.size(); k++) {
        Company *pCompany = r.companies[k];
        if (pCompany->m_cFleet == 0)
            continue;
        pCompany->m_ppFleet = (Fleet **)calloc((size_t)pCompany->m_cFleet, sizeof(Fleet *));
        if (!pCompany->m_ppFleet)
            Fail(r, "out of memory");
        for (int i = 0; i < pCompany->m_cFleet; i++)
            pCompany->m_ppFleet[i] = ReadFleetRecord(r, -1, true);
    }
}

// A filled planet, structure, system or gate is described once.
Entry &EntryToFill(Reader &r, long long id, int kind)
{
    Entry &entry = EntryOf(r, id, kind);
    if (entry.bFilled)
        Fail(r, "%s %lld is described twice", KindName(kind), id);
    entry.bFilled = 1;
    return entry;
}

void ReadStructureRecord(Reader &r, Planet *pPlanet, int index)
{
    ExpectTag(r, "_structure");
    long long id = ReadId(r);
    Structure *pStructure = (Structure *)EntryToFill(r, id, KIND_STRUCTURE).pObject;
    pPlanet->m_ppStructure[index] = pStructure;
    pStructure->m_pPlanet = pPlanet;
    std::string_view name = ReadName(r);
    pStructure->m_pOwner = ResolveCompany(r, ReadSByte(r, "a company number"));
    ReadSurface(r, &pStructure->m_pSprite, "a structure's picture");
    pStructure->m_iEnergyCost = ReadInt(r);
    pStructure->m_iMatterCost = ReadInt(r);
    pStructure->m_iEnergyYield = ReadInt(r);
    pStructure->m_iMatterYield = ReadInt(r);
    ReadArmor(r, &pStructure->m_pArmor);
    Weapon *pEntryWeapon = pStructure->m_pWeapon;  // a satellite's entry carried one already
    pStructure->m_pWeapon = nullptr;
    WeaponDestroy(&pEntryWeapon);
    ReadWeapon(r, &pStructure->m_pWeapon);
    ExpectSameId(r, ReadId(r), id);
    int type = ReadInt(r, "a structure type");
    int entryType = pStructure->m_eType;
    bool bFits = entryType == V_TYPE_SAT_FAST ? type >= V_TYPE_SAT_FAST && type <= V_TYPE_SAT_VAVUVUR
                                              : type == entryType;
    if (!bFits)
        Fail(r, "structure %lld of type %d was listed as another kind", id, type);
    pStructure->m_eType = type;
    ExpectTag(r, StructureTag(type));
    ExpectSameId(r, ReadId(r), id);
    ExpectSameId(r, ReadId(r), id);
    // Structure names are the constant names of their types.
    pStructure->m_pName = StructureTypeName(type);
    if (name != pStructure->m_pName)
        Fail(r, "structure %lld is named \"%.*s\", which is not its type's name", id, (int)std::min<size_t>(name.size(), 40),
             name.data());
    // Destroyed in a battle and not yet cleared away: the next update frees it.
    pStructure->m_bDestroyed = pStructure->m_pArmor->m_iHp < 1 ? 1 : 0;
}

// A silo lowers the stores one unit a step, every turn, while they exceed its capacity; in play
// they exceed it between turns by no more than one turn's income at most. Stores far above that
// would keep the turn stepping for hours.
void CheckSiloStores(Reader &r, const Planet *pPlanet)
{
    for (int i = 0; i < pPlanet->m_cStructure; i++) {
        const Structure *pSilo = pPlanet->m_ppStructure[i];
        if (pSilo->m_eType != V_TYPE_STORAGE || pSilo->m_bDestroyed)
            continue;
        long long excess = (long long)pPlanet->m_iEnergy + pPlanet->m_iMatter - (uint32_t)pSilo->m_iParam;
        if (excess > SAVE_SILO_EXCESS_MAX)
            Fail(r, "planet %d stores far more than its silo holds", pPlanet->m_iId);
    }
}

void ReadPlanetRecord(Reader &r, System *pSystem, int index)
{
    ExpectTag(r, "_planet");
    long long id = ReadId(r);
    Planet *pPlanet = (Planet *)EntryToFill(r, id, KIND_PLANET).pObject;
    pSystem->m_ppPlanet[index] = pPlanet;
    pPlanet->m_pSystem = pSystem;
    pPlanet->m_pName = CopyName(r, ReadName(r));
    int ownerNum = ReadSByte(r, "a company number");
    if (ownerNum != pPlanet->m_iOwnerNum)
        Fail(r, "planet %lld names two different owners", id);
    pPlanet->m_pOwner = ResolveCompany(r, ownerNum);
    pPlanet->m_pos = ReadPlace(r, pSystem->m_size, "a planet's place");
    if (ReadRef<System>(r, KIND_SYSTEM, false) != pSystem)
        Fail(r, "planet %lld names another system than the one holding it", id);
    ReadSurface(r, &pPlanet->m_pSurface, "a planet's close-up");
    ReadSurface(r, &pPlanet->m_pIcon, "a planet's icon");
    pPlanet->m_iEnergy = ReadInt(r);
    pPlanet->m_iMatter = ReadInt(r);
    pPlanet->m_eKind = ReadIntIn(r, PLANET_ROCKY, PLANET_GAS_GIANT, "a planet kind");
    if (ReadInt(r, "a structure count") != pPlanet->m_cStructure)
        Fail(r, "planet %lld gives two different structure counts", id);
    ReadIntIn(r, STRUCTURE_MAX, STRUCTURE_MAX, "the structure capacity");
    pPlanet->m_iSpare = ReadInt(r);
    pPlanet->m_bFlags = (uint8_t)ReadSByte(r);
    ExpectSameId(r, ReadId(r), id);
    pPlanet->m_aiState = ReadIntIn(r, PLANET_AI_IDLE, PLANET_AI_NEW_COLONY, "a planet state");
    pPlanet->m_aiLastState = ReadIntIn(r, PLANET_AI_IDLE, PLANET_AI_NEW_COLONY, "a planet state");
    for (int i = 0; i < pPlanet->m_cStructure; i++)
        ReadStructureRecord(r, pPlanet, i);
    CheckSiloStores(r, pPlanet);
    long long fleetId = ReadId(r);
    if (fleetId != r.n) {
        // The hold is held by the planet alone and goes nowhere until it is launched.
        Fleet *pHold = ReadFleetRecord(r, fleetId, false);
        pPlanet->m_pFleet = pHold;
        if (pHold->m_pSystem || pHold->m_pHomePlanet != pPlanet)
            Fail(r, "the hold of planet %lld is not at home there", id);
        if (pHold->m_eState != FLEET_IDLE && pHold->m_eState != FLEET_LAUNCH && pHold->m_eState != FLEET_RETURN)
            Fail(r, "the hold of planet %lld is in state %d, which a hold never is", id, pHold->m_eState);
    }
}

void ReadGateRecord(Reader &r, System *pSystem, int index)
{
    ExpectTag(r, "_warpgate");
    long long id = ReadId(r);
    Warpgate *pGate = (Warpgate *)EntryToFill(r, id, KIND_GATE).pObject;
    pSystem->m_ppGate[index] = pGate;
    if (ReadRef<System>(r, KIND_SYSTEM, false) != pSystem)
        Fail(r, "gate %lld names another system than the one holding it", id);
    pGate->m_pSystem = pSystem;
    if (pGate->m_pos.m_x < 0 || pGate->m_pos.m_y < 0 || pGate->m_pos.m_x >= pSystem->m_size.m_x ||
        pGate->m_pos.m_y >= pSystem->m_size.m_y)
        Fail(r, "gate %lld lies off the map", id);
    pGate->m_pPair = ReadRef<Warpgate>(r, KIND_GATE, true);
    if (pGate->m_pPair == pGate)
        Fail(r, "gate %lld is paired with itself", id);
    ReadSurface(r, &pGate->m_pSprite, "a gate's picture");
    pGate->m_pTransitFleet = ReadRef<Fleet>(r, KIND_FLEET, true);
}

void CheckFleetPlace(Reader &r, const Fleet *pFleet, Coord size)
{
    bool bInside = pFleet->m_pos.m_x >= 0 && pFleet->m_pos.m_y >= 0 && pFleet->m_pos.m_x < size.m_x &&
                   pFleet->m_pos.m_y < size.m_y && pFleet->m_dest.m_x >= 0 && pFleet->m_dest.m_y >= 0 &&
                   pFleet->m_dest.m_x < size.m_x && pFleet->m_dest.m_y < size.m_y;
    if (!bInside)
        Fail(r, "fleet %d lies or heads off the map", pFleet->m_iId);
}

void ReadSystemRecord(Reader &r, Universe *pUniverse, int index)
{
    ExpectTag(r, "_system");
    long long id = ReadId(r);
    System *pSystem = (System *)EntryToFill(r, id, KIND_SYSTEM).pObject;
    pUniverse->m_ppSystem[index] = pSystem;
    if (pSystem->m_size.m_x != pUniverse->m_size.m_x || pSystem->m_size.m_y != pUniverse->m_size.m_y)
        Fail(r, "system %lld is not the galaxy's size", id);
    int cFleet = ReadIntIn(r, 0, INT_MAX, "a fleet count");
    if ((size_t)cFleet > Remaining(r) / 64)
        Fail(r, "the fleet count %d does not fit in the rest of the file", cFleet);
    for (int i = 0; i < cFleet; i++) {
        long long fleetId = ReadId(r);
        Fleet *pFleet = ReadFleetRecord(r, fleetId, false);
        if (pFleet->m_pSystem != pSystem)
            Fail(r, "fleet %lld names another system than the one holding it", fleetId);
        CheckFleetPlace(r, pFleet, pSystem->m_size);
        if (!ListAppend(pSystem->m_pFleets, pFleet))
            Fail(r, "out of memory");
    }
    for (int i = 0; i < pSystem->m_cPlanet; i++)
        ReadPlanetRecord(r, pSystem, i);
    for (int i = 0; i < pSystem->m_cGate; i++)
        ReadGateRecord(r, pSystem, i);
    for (int i = 0; i < pSystem->m_cPlanet; i++) {
        if (pSystem->m_ppPlanet[i]->m_pFleet)
            CheckFleetPlace(r, pSystem->m_ppPlanet[i]->m_pFleet, pSystem->m_size);
    }
}

void ReadUniverseSection(Reader &r)
{
    ExpectTag(r, "_universe");
    Universe *pUniverse = Allocate<Universe>(r);
    r.pUniverse = pUniverse;
    pUniverse->m_size = ReadCoord(r, "the galaxy's size");
    if (pUniverse->m_size.m_x < 1 || pUniverse->m_size.m_y < 1 || pUniverse->m_size.m_x > SAVE_MAP_MAX ||
        pUniverse->m_size.m_y > SAVE_MAP_MAX)
        Fail(r, "the galaxy's size is out of range");
    pUniverse->m_coordSpare = ReadCoord(r, "a pair of numbers");
    pUniverse->m_cSystem = (int8_t)ReadIntIn(r, 1, INT8_MAX, "the system count");
    pUniverse->m_ppSystem = (System **)calloc((size_t)pUniverse->m_cSystem, sizeof(System *));
    if (!pUniverse->m_ppSystem)
        Fail(r, "out of memory");
    for (int i = 0; i < pUniverse->m_cSystem; i++)
        ReadSystemRecord(r, pUniverse, i);
    int cCompany = ReadSByte(r, "the company count");
    if (cCompany != (int)r.companies.size() - 1)
        Fail(r, "the company count %d differs from the %d companies", cCompany, (int)r.companies.size() - 1);
    pUniverse->m_ppCompany = (Company **)calloc((size_t)cCompany, sizeof(Company *));
    if (!pUniverse->m_ppCompany)
        Fail(r, "out of memory");
    for (int k = 0; k < cCompany; k++)
        pUniverse->m_ppCompany[k] = r.companies[(size_t)k + 1];
    pUniverse->m_cCompany = (int8_t)cCompany;
    ReadSurface(r, &pUniverse->m_pSurface, "the galaxy map");
    if (pUniverse->m_pSurface->m_nWidth != pUniverse->m_size.m_x ||
        pUniverse->m_pSurface->m_nHeight != pUniverse->m_size.m_y)
        Fail(r, "the galaxy map is not the galaxy's size");
    pUniverse->m_iTurn = ReadIntIn(r, 0, SAVE_TURN_MAX, "the turn");
}

/* The finished world holds every object once. */

void Place(Reader &r, int id)
{
    Entry &entry = r.table.find(id)->second;
    if (++entry.cPlaced > 1)
        Fail(r, "%s %d is placed twice", KindName(entry.kind), id);
}

void PlaceFleet(Reader &r, Fleet *pFleet)
{
    Place(r, pFleet->m_iId);
    for (ListNode *pNode = pFleet->m_pShips->m_pHead; pNode; pNode = pNode->m_pNext)
        Place(r, ((Ship *)pNode->m_pData)->m_iId);
}

void CheckEveryObjectPlaced(Reader &r)
{
    Universe *pUniverse = r.pUniverse;
    for (int s = 0; s < pUniverse->m_cSystem; s++) {
        System *pSystem = pUniverse->m_ppSystem[s];
        Place(r, pSystem->m_iId);
        for (ListNode *pNode = pSystem->m_pFleets->m_pHead; pNode; pNode = pNode->m_pNext)
            PlaceFleet(r, (Fleet *)pNode->m_pData);
        for (int i = 0; i < pSystem->m_cPlanet; i++) {
            Planet *pPlanet = pSystem->m_ppPlanet[i];
            Place(r, pPlanet->m_iId);
            for (int k = 0; k < pPlanet->m_cStructure; k++)
                Place(r, pPlanet->m_ppStructure[k]->m_iId);
            if (pPlanet->m_pFleet)
                PlaceFleet(r, pPlanet->m_pFleet);
        }
        for (int i = 0; i < pSystem->m_cGate; i++)
            Place(r, pSystem->m_ppGate[i]->m_iId);
    }
    r.line = 0;
    for (auto &item : r.table) {
        if (item.second.cPlaced == 0) {
            LoadFault fault;
            snprintf(fault.text, sizeof fault.text, "%s %d is listed but never placed", KindName(item.second.kind),
                     item.first);
            throw fault;
        }
    }
}

/* Freeing a world that was not finished: each record alone, never through the records it points
   at, since a damaged file may point them anywhere. */

void FreeShallow(Entry &entry)
{
    switch (entry.kind) {
    case KIND_SHIP: {
        Ship *pShip = (Ship *)entry.pObject;
        ShipDestroy(&pShip);
        break;
    }
    case KIND_STRUCTURE: {
        Structure *pStructure = (Structure *)entry.pObject;
        StructureDestroy(&pStructure);
        break;
    }
    case KIND_PLANET: {
        Planet *pPlanet = (Planet *)entry.pObject;
        free(pPlanet->m_pName);
        free(pPlanet->m_ppMoon);
        free(pPlanet->m_ppStructure);
        DestroySurface(&pPlanet->m_pSurface);
        DestroySurface(&pPlanet->m_pIcon);
        free(pPlanet);
        break;
    }
    case KIND_SYSTEM: {
        System *pSystem = (System *)entry.pObject;
        free(pSystem->m_pName);
        free(pSystem->m_pStarName);
        DestroySurface(&pSystem->m_pMap);
        DestroySurface(&pSystem->m_pIcon);
        if (pSystem->m_pFleets)
            ListDestroy(pSystem->m_pFleets);
        free(pSystem->m_ppPlanet);
        free(pSystem->m_ppGate);
        free(pSystem);
        break;
    }
    case KIND_GATE: {
        Warpgate *pGate = (Warpgate *)entry.pObject;
        WarpgateDestroy(&pGate);
        break;
    }
    case KIND_FLEET: {
        Fleet *pFleet = (Fleet *)entry.pObject;
        if (pFleet->m_pShips)
            ListDestroy(pFleet->m_pShips);
        if (pFleet->m_pRoute)
            ListDestroy(pFleet->m_pRoute);
        DestroySurface(&pFleet->m_pSprite);
        free(pFleet);
        break;
    }
    default:
        break;
    }
}

void FreeUnfinished(Reader &r)
{
    for (auto &item : r.table)
        FreeShallow(item.second);
    r.table.clear();
    for (Company *pCompany : r.companies)
        CompanyDestroy(&pCompany);
    r.companies.clear();
    if (r.pUniverse) {
        free(r.pUniverse->m_ppSystem);
        free(r.pUniverse->m_ppCompany);
        DestroySurface(&r.pUniverse->m_pSurface);
        free(r.pUniverse);
        r.pUniverse = nullptr;
    }
}

}  // namespace

int ReadUniverse(const char *pData, size_t size, Universe **ppUniverse, int *pNextId, char *pWhy, size_t whySize)
{
    *ppUniverse = nullptr;
    Reader r;
    r.p = pData;
    r.end = pData + size;
    r.line = 0;
    r.n = 0;
    r.pUniverse = nullptr;
    try {
        if (size == 0) {
            LoadFault fault;
            snprintf(fault.text, sizeof fault.text, "the file is empty");
            throw fault;
        }
        ReadCompanies(r);
        ReadObjectTable(r);
        ReadCompanyFleets(r);
        ReadUniverseSection(r);
        CheckEveryObjectPlaced(r);
    } catch (const LoadFault &fault) {
        FreeUnfinished(r);
        SetWhy(pWhy, whySize, "%s", fault.text);
        return 1;
    } catch (const std::bad_alloc &) {
        FreeUnfinished(r);
        SetWhy(pWhy, whySize, "out of memory");
        return 1;
    }
    *ppUniverse = r.pUniverse;
    if (pNextId)
        *pNextId = (int)r.n;
    return 0;
}

// Reads the whole file first: its size bounds everything the reader may allocate.
static int ReadWholeFile(const char *pFileName, std::string *pText, char *pWhy, size_t whySize)
{
    int fd = open(pFileName, O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) {
            SetWhy(pWhy, whySize, "the slot is empty");
            return LOAD_EMPTY;
        }
        SetWhy(pWhy, whySize, "the file cannot be opened: %s", strerror(errno));
        return 1;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        SetWhy(pWhy, whySize, "something other than a save file is in its place");
        return 1;
    }
    if (info.st_size > SAVE_FILE_MAX) {
        close(fd);
        SetWhy(pWhy, whySize, "the file is too large to be a save");
        return 1;
    }
    pText->resize((size_t)info.st_size);
    size_t done = 0;
    while (done < pText->size()) {
        ssize_t got = read(fd, pText->data() + done, pText->size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            SetWhy(pWhy, whySize, "the file cannot be read: %s", strerror(errno));
            close(fd);
            return 1;
        }
        if (got == 0)
            break;
        done += (size_t)got;
    }
    close(fd);
    pText->resize(done);
    return 0;
}

int LoadUniverse(const char *pFileName, Universe **ppUniverse, char *pWhy, size_t whySize)
{
    *ppUniverse = nullptr;
    std::string text;
    int rc = ReadWholeFile(pFileName, &text, pWhy, whySize);
    if (rc != 0)
        return rc;
    int nextId = 0;
    if (ReadUniverse(text.data(), text.size(), ppUniverse, &nextId, pWhy, whySize) != 0)
        return 1;
    g_nextObjectId = nextId;
    return 0;
}

// The turn is the file's last line; the time is the file's own.
SlotInfo GetSlotInfo(const char *pFileName)
{
    SlotInfo info = {SLOT_EMPTY, 0, 0};
    struct stat st;
    if (stat(pFileName, &st) != 0)
        return info;
    info.m_eState = SLOT_UNREADABLE;
    info.m_savedAt = st.st_mtime;
    if (!S_ISREG(st.st_mode))
        return info;
    int fd = open(pFileName, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return info;
    char tail[32];
    off_t start = st.st_size > (off_t)sizeof tail ? st.st_size - (off_t)sizeof tail : 0;
    ssize_t got = pread(fd, tail, sizeof tail, start);
    close(fd);
    if (got < 2 || tail[got - 1] != '\n')
        return info;
    int end = (int)got - 1;
    int begin = end;
    while (begin > 0 && tail[begin - 1] != '\n')
        begin--;
    int turn = 0;
    auto result = std::from_chars(tail + begin, tail + end, turn);
    if (begin == end || result.ec != std::errc() || result.ptr != tail + end || turn < 0 || turn > SAVE_TURN_MAX)
        return info;
    info.m_eState = SLOT_SAVED;
    info.m_iTurn = turn;
    return info;
}
