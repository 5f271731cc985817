// moon: a body a planet may hold. Moons are inert: generation makes none and their update only
// reports success.
#pragma once

struct Moon {
    void *m_pBody;   // contents; nothing in play sets it
    int m_iId;
};

/* Lifecycle and the per-turn step; each returns 0 for a moon, 1 for null. */
int MoonCreate(Moon **ppMoon);
int MoonDestroy(Moon **ppMoon);
int MoonUpdate(Moon *pMoon);
