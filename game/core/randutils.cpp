#include "game/core/randutils.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "baseutilities/baseassert.h"

// A linear congruential generator whose draws are the upper 15 bits of its state: the classic
// runtime generator every rule of the game was balanced against. The state starts at 1, as it
// does in that runtime before anything seeds it.
static uint32_t s_state = 1;

void RandInit(void)
{
    RandSeed((unsigned)time(nullptr));
}

void RandSeed(unsigned seed)
{
    s_state = (uint32_t)seed;
}

int RandDraw(void)
{
    s_state = s_state * 214013u + 2531011u;
    return (int)((s_state >> 16) & 0x7FFF);
}

int RandInt(int n)
{
    V_ASSERT(n > 0);
    return RandDraw() % n;
}

// Draws from the shared sequence like every other caller. Reseeding here from the clock would
// restart the whole game's sequence at every new fleet within the same second.
int RandRange(int low, int high)
{
    V_ASSERT(high >= low);
    return (int)((long long)RandDraw() % ((long long)high - low + 1) + low);
}

// The column is drawn first; each lies from margin to size - margin - 1.
Coord *RandomCoord(int width, int height, int margin)
{
    V_ASSERT(width - 2 * margin > 0 && height - 2 * margin > 0);
    Coord *pCoord = (Coord *)malloc(sizeof(Coord));
    if (!pCoord)
        return nullptr;
    pCoord->m_x = RandDraw() % (width - 2 * margin) + margin;
    pCoord->m_y = RandDraw() % (height - 2 * margin) + margin;
    return pCoord;
}

// Every third letter from the second on is a vowel, so names stay pronounceable. The consonant
// draw reaches only the first 21 letters of its alphabet, never the final 'z'.
char *RandomName(void)
{
    static const char s_vowels[] = "aeiou";
    static const char s_letters[] = "bfaeioucdghklmnprstxyz";
    int length = RandDraw() % 9 + 2;
    char *pName = (char *)malloc((size_t)length + 1);
    if (!pName)
        return nullptr;
    for (int i = 0; i < length; i++) {
        if ((i + 2) % 3 == 0)
            pName[i] = s_vowels[RandDraw() % 5];
        else
            pName[i] = s_letters[RandDraw() % 21];
    }
    pName[length] = '\0';
    pName[0] = (char)(pName[0] ^ 32);  // all letters are lower case: flipping the case bit capitalises
    return pName;
}
