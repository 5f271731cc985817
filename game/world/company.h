// company: a player in the galaxy, the human one ("Human") or a computer company. It holds its
// accounts, its colony count and its AI state; the universe owns the companies.
#pragma once

#include <cstdint>

struct Fleet;

// Company AI states.
enum {
    COMPANY_AI_START = 0,
    COMPANY_AI_IDLE = 1,
    COMPANY_AI_OFFENSE = 2,
    COMPANY_AI_DEFENSE = 3,
    COMPANY_AI_COLONIZE = 4,
};

struct Company {
    char *m_pName;          // owned copy: "Human" for the player
    int m_bAI;              // 1 for a computer company
    uint8_t m_color;        // the colour is the background nibble: player 0x90, AI i (i + 9) * 16
    int m_iEnergy;          // accounts, 10000 at creation
    int m_iMatter;
    int m_cFleet;
    Fleet **m_ppFleet;      // owned array of the fleets the save file lists; the fleets are not owned
    int m_cColony;          // planets with a Colony held by the company
    uint8_t m_iNum;         // index in the universe's company array + 1; 0 means none
    int m_offenseScore;     // ships completed by its shipyards
    int m_defenseScore;     // structures completed by its colonies
    int m_aiState;          // COMPANY_AI_*, IDLE at creation
    int m_aiLastState;
};

/* Lifecycle. */
int CompanyCreate(Company **ppCompany, const char *pName, uint8_t color, int bAI);
int CompanyDestroy(Company **ppCompany);

/* The fleet index the save file lists with the company; it never owns the fleets. */
int CompanyAddFleet(Company *pCompany, Fleet *pFleet);     // 0, or 1 when memory runs out
void CompanyRemoveFleet(Company *pCompany, Fleet *pFleet); // no effect when it is not listed

// The attribute of a message about the company's doings: its colour with a bright white
// foreground (plain bright white for no company).
unsigned char CompanyMessageAttr(const Company *pCompany);
