// terminal_input_harness: reads one fuzz input twice with the terminal input parser, once as the
// terminal would deliver it in reads of random sizes and once in a single read, and says whether
// both gave the same records. The terminal input fuzz target and the regression test that replays
// kept inputs both call it.
// An input is two control bytes and then the terminal's bytes. The control bytes seed the read
// sizes (1 to 16 bytes, so escape sequences are often cut) and, with the low bit of the first
// one, let time pass between reads. Between two reads, however long, the rest of the bytes wait
// in the terminal, and the backend ticks the parser only when the terminal has nothing more to
// read: a complete sequence must never come out as keys for having been cut. Without gaps every
// read comes at the same moment and the reference is one read of everything; with gaps the
// reference gets the same reads at the same moments. Both end with a tick long after, when
// nothing waits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/terminal_input.h"

enum {
    TERMINAL_FUZZ_CONTROL_BYTES = 2,
    TERMINAL_FUZZ_GAPS = 1,        // the first control byte's bit: time passes between reads
    TERMINAL_FUZZ_MAX_READ = 16,
    TERMINAL_FUZZ_MAX_GAP_MS = 2 * TERMINAL_ESC_TIMEOUT_MS,
    TERMINAL_FUZZ_START_MS = 1000,
    TERMINAL_FUZZ_LATE_MS = 10000, // the final tick, when the terminal has nothing more
};

inline uint32_t TerminalFuzzNext(uint32_t *pState)
{
    // xorshift32: the read sizes only need to be many and repeatable.
    uint32_t x = *pState;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return *pState = x;
}

inline bool TerminalFuzzSameRecords(TerminalInputParser *pA, TerminalInputParser *pB)
{
    PlatformInputRecord a, b;
    for (;;) {
        int haveA = TerminalInputPop(pA, &a), haveB = TerminalInputPop(pB, &b);
        if (haveA != haveB)
            return false;
        if (!haveA)
            return true;
        if (a.m_kind != b.m_kind || a.m_vk != b.m_vk || a.m_x != b.m_x || a.m_y != b.m_y ||
            a.m_buttons != b.m_buttons || a.m_flags != b.m_flags)
            return false;
    }
}

// True when the cut reads gave exactly the records of the reference.
inline bool TerminalFuzzCheck(const uint8_t *pData, size_t size)
{
    if (size < TERMINAL_FUZZ_CONTROL_BYTES)
        return true;
    bool gaps = (pData[0] & TERMINAL_FUZZ_GAPS) != 0;
    uint32_t state = ((uint32_t)pData[0] << 8 | pData[1]) * 2654435761u + 1;  // never 0
    const char *pBytes = (const char *)pData + TERMINAL_FUZZ_CONTROL_BYTES;
    size -= TERMINAL_FUZZ_CONTROL_BYTES;

    static TerminalInputParser s_cut, s_reference;  // static: the parsers' queues keep their memory
    TerminalInputInit(&s_cut);
    TerminalInputInit(&s_reference);
    uint32_t now = TERMINAL_FUZZ_START_MS;
    if (!gaps)
        TerminalInputFeed(&s_reference, pBytes, size, now);
    for (size_t done = 0; done < size;) {
        size_t n = 1 + TerminalFuzzNext(&state) % TERMINAL_FUZZ_MAX_READ;
        if (n > size - done)
            n = size - done;
        TerminalInputFeed(&s_cut, pBytes + done, n, now);
        if (gaps)
            TerminalInputFeed(&s_reference, pBytes + done, n, now);
        done += n;
        if (done == size)
            break;
        if (gaps)
            now += TerminalFuzzNext(&state) % (TERMINAL_FUZZ_MAX_GAP_MS + 1);
        // The rest still waits in the terminal, and the backend ticks the parser only when the
        // terminal has nothing more to read: no tick here, however long the gap.
    }
    now += TERMINAL_FUZZ_LATE_MS;
    TerminalInputTick(&s_cut, now);
    TerminalInputTick(&s_reference, now);
    return TerminalFuzzSameRecords(&s_cut, &s_reference);
}
