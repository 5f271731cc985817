#include "platform/terminal_input.h"

#include <algorithm>
#include <cstring>

enum {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_NUMPAD0 = 96,
    VK_MULTIPLY = 106,
    VK_F1 = 112,
};

static const unsigned char ESC = 0x1b;
static const int X10_PAST_END = 223;  // an X10 report's zero byte: this column or row, or beyond

void TerminalInputInit(TerminalInputParser *pParser)
{
    pParser->m_pending.clear();
    pParser->m_pendingSince = 0;
    pParser->m_skipping = 0;
    pParser->m_inPaste = 0;
    pParser->m_records.clear();
    pParser->m_buttons = 0;
    pParser->m_x = 0;
    pParser->m_y = 0;
    pParser->m_haveLeftPress = 0;
    pParser->m_leftPressTime = 0;
    pParser->m_leftPressX = 0;
    pParser->m_leftPressY = 0;
}

// A console delivers a key as a key-down record and a release record; the game waits for the
// release before it takes a second Escape, so the terminal's single byte becomes both. A key held
// down repeats as key-downs alone, as on a console: a repeat still queued behind its own release
// takes that release's place.
static void PushKey(TerminalInputParser *pParser, uint32_t vk)
{
    std::deque<PlatformInputRecord> &records = pParser->m_records;
    if (!records.empty() && records.back().m_kind == PLATFORM_RECORD_OTHER && records.back().m_vk == vk)
        records.pop_back();
    PlatformInputRecord down = {};
    down.m_kind = PLATFORM_RECORD_KEY;
    down.m_vk = vk;
    pParser->m_records.push_back(down);
    PlatformInputRecord up = down;
    up.m_kind = PLATFORM_RECORD_OTHER;
    pParser->m_records.push_back(up);
}

static void PlainByte(TerminalInputParser *pParser, unsigned char c)
{
    if (c == '\r' || c == '\n')
        PushKey(pParser, PLATFORM_VK_RETURN);
    else if (c == 0x7F || c == 0x08)
        PushKey(pParser, VK_BACK);
    else if (c == '\t')
        PushKey(pParser, VK_TAB);
    else if (c == ' ')
        PushKey(pParser, VK_SPACE);
    else if (c >= 'a' && c <= 'z')
        PushKey(pParser, (uint32_t)(c - 'a' + 'A'));
    else if (c >= 'A' && c <= 'Z')
        PushKey(pParser, c);
    // The keypad without application mode sends plain digits; 2, 4, 6 and 8 scroll like the
    // keypad's own codes, the other digits keep theirs.
    else if (c == '2')
        PushKey(pParser, PLATFORM_VK_NUMPAD2);
    else if (c == '4')
        PushKey(pParser, PLATFORM_VK_NUMPAD4);
    else if (c == '6')
        PushKey(pParser, PLATFORM_VK_NUMPAD6);
    else if (c == '8')
        PushKey(pParser, PLATFORM_VK_NUMPAD8);
    else if (c >= '0' && c <= '9')
        PushKey(pParser, c);
    // Other control bytes, punctuation and the bytes of non-ASCII characters mean nothing here.
}

static void MouseReport(TerminalInputParser *pParser, int code, int x, int y, bool sgrRelease,
                        bool x10, uint32_t now)
{
    if (code & 128)  // buttons 8 to 11: nothing the console knows
        return;
    int low = code & 3;
    bool motion = (code & 32) != 0;
    bool wheel = (code & 64) != 0;
    static const uint32_t s_buttonBit[3] = {PLATFORM_BUTTON_LEFT, PLATFORM_BUTTON_MIDDLE,
                                            PLATFORM_BUTTON_RIGHT};

    PlatformInputRecord rec = {};
    rec.m_kind = PLATFORM_RECORD_MOUSE;
    rec.m_x = x < 0 ? 0 : x;
    rec.m_y = y < 0 ? 0 : y;
    // The motion bit decides first: some terminals (rxvt-unicode) report button-less motion with
    // the last wheel's bits still set (97), and before any click as a press of "no button" (31).
    if (motion || (low == 3 && !wheel && !x10 && !sgrRelease)) {
        // Motion with no button held says that a release was lost (say, outside the window):
        // drop the stale buttons rather than keep dragging.
        if (low == 3 || wheel)
            pParser->m_buttons = 0;
        rec.m_flags = PLATFORM_MOUSE_MOVED;
        rec.m_buttons = pParser->m_buttons;
    } else if (wheel) {
        if (low >= 2 || sgrRelease)  // sideways wheels are not the console's wheel
            return;
        int16_t delta = low == 0 ? 120 : -120;
        rec.m_flags = PLATFORM_MOUSE_WHEELED;
        rec.m_buttons = ((uint32_t)(uint16_t)delta << 16) | pParser->m_buttons;
    } else if (sgrRelease) {
        pParser->m_buttons &= low == 3 ? 0u : ~s_buttonBit[low];
        rec.m_buttons = pParser->m_buttons;
    } else if (low == 3) {
        // An X10 release does not say which button went up.
        pParser->m_buttons = 0;
        rec.m_buttons = 0;
    } else {
        uint32_t bit = s_buttonBit[low];
        pParser->m_buttons |= bit;
        rec.m_buttons = pParser->m_buttons;
        if (bit == PLATFORM_BUTTON_LEFT) {
            if (pParser->m_haveLeftPress && pParser->m_leftPressX == rec.m_x &&
                pParser->m_leftPressY == rec.m_y &&
                now - pParser->m_leftPressTime <= TERMINAL_DOUBLE_CLICK_MS) {
                rec.m_flags = PLATFORM_DOUBLE_CLICK;
                pParser->m_haveLeftPress = 0;  // a third press starts over
            } else {
                pParser->m_haveLeftPress = 1;
                pParser->m_leftPressTime = now;
                pParser->m_leftPressX = rec.m_x;
                pParser->m_leftPressY = rec.m_y;
            }
        }
    }
    pParser->m_x = rec.m_x;
    pParser->m_y = rec.m_y;
    // Moving the mouse must never build a backlog: motion that follows motion with the same
    // buttons only moves the pointer on.
    std::deque<PlatformInputRecord> &records = pParser->m_records;
    if (rec.m_flags == PLATFORM_MOUSE_MOVED && !records.empty() &&
        records.back().m_kind == PLATFORM_RECORD_MOUSE && records.back().m_flags == PLATFORM_MOUSE_MOVED &&
        records.back().m_buttons == rec.m_buttons)
        records.back() = rec;
    else
        records.push_back(rec);
}

// "<b;x;y" with the final M (press, motion, wheel) or m (release); coordinates count from 1.
static void SgrMouse(TerminalInputParser *pParser, const char *pParams, size_t len, char final,
                     uint32_t now)
{
    long values[3] = {0, 0, 0};
    int count = 0;
    bool digits = false;
    for (size_t i = 1; i < len; i++) {
        char c = pParams[i];
        if (c >= '0' && c <= '9') {
            if (count >= 3)
                return;
            if (values[count] < 100000)  // far beyond any screen; keeps the number bounded
                values[count] = values[count] * 10 + (c - '0');
            digits = true;
        } else if (c == ';') {
            if (!digits)
                return;
            count++;
            digits = false;
        } else {
            return;
        }
    }
    if (!digits || count != 2)
        return;
    MouseReport(pParser, (int)values[0], (int)values[1] - 1, (int)values[2] - 1, final == 'm', false,
                now);
}

static void CsiKey(TerminalInputParser *pParser, const char *pParams, size_t len, char final)
{
    switch (final) {
    case 'A': PushKey(pParser, PLATFORM_VK_UP); return;
    case 'B': PushKey(pParser, PLATFORM_VK_DOWN); return;
    case 'C': PushKey(pParser, PLATFORM_VK_RIGHT); return;
    case 'D': PushKey(pParser, PLATFORM_VK_LEFT); return;
    case 'H': PushKey(pParser, VK_HOME); return;
    case 'F': PushKey(pParser, VK_END); return;
    case '~': break;
    default: return;
    }
    int n = 0;
    for (size_t i = 0; i < len && pParams[i] >= '0' && pParams[i] <= '9' && n < 1000; i++)
        n = n * 10 + (pParams[i] - '0');
    if (n == TERMINAL_PASTE_BEGIN) {
        pParser->m_inPaste = 1;
        return;
    }
    // The editing keys above the arrows, in both numberings terminals use, and the function keys.
    static const struct { int m_n; uint32_t m_vk; } s_tildeKeys[] = {
        {1, VK_HOME}, {2, VK_INSERT}, {3, VK_DELETE}, {4, VK_END},
        {5, VK_PRIOR}, {6, VK_NEXT}, {7, VK_HOME}, {8, VK_END},
        {11, VK_F1}, {12, VK_F1 + 1}, {13, VK_F1 + 2}, {14, VK_F1 + 3}, {15, VK_F1 + 4},
        {17, VK_F1 + 5}, {18, VK_F1 + 6}, {19, VK_F1 + 7}, {20, VK_F1 + 8}, {21, PLATFORM_VK_F10},
        {23, VK_F1 + 10}, {24, VK_F1 + 11},
    };
    for (const auto &key : s_tildeKeys) {
        if (key.m_n == n) {
            PushKey(pParser, key.m_vk);
            return;
        }
    }
}

// ESC O x: the cursor keys in application mode and the application keypad.
static void Ss3Key(TerminalInputParser *pParser, char c)
{
    if (c >= 'A' && c <= 'D' ) {
        static const uint32_t s_arrows[4] = {PLATFORM_VK_UP, PLATFORM_VK_DOWN, PLATFORM_VK_RIGHT,
                                             PLATFORM_VK_LEFT};
        PushKey(pParser, s_arrows[c - 'A']);
    } else if (c >= 'p' && c <= 'y') {
        PushKey(pParser, (uint32_t)(VK_NUMPAD0 + (c - 'p')));  // keypad 0-9: r, t, v, x are 2, 4, 6, 8
    } else if (c >= 'j' && c <= 'o') {
        PushKey(pParser, (uint32_t)(VK_MULTIPLY + (c - 'j')));  // * + , - . /
    } else if (c == 'M') {
        PushKey(pParser, PLATFORM_VK_RETURN);  // keypad Enter
    } else if (c >= 'P' && c <= 'S') {
        PushKey(pParser, (uint32_t)(VK_F1 + (c - 'P')));
    } else if (c == 'H') {
        PushKey(pParser, VK_HOME);
    } else if (c == 'F') {
        PushKey(pParser, VK_END);
    }
}

// Parses the escape sequence at buf[i] (an ESC). Returns the bytes it takes, or 0 when the
// sequence is not complete yet.
static size_t ParseEscape(TerminalInputParser *pParser, const std::string &buf, size_t i, uint32_t now)
{
    size_t size = buf.size();
    if (i + 1 >= size)
        return 0;
    char c1 = buf[i + 1];
    if (c1 == 'O') {
        if (i + 2 >= size)
            return 0;
        Ss3Key(pParser, buf[i + 2]);
        return 3;
    }
    if (c1 != '[') {
        // ESC then another key: the Escape key, then that key on its own.
        PushKey(pParser, PLATFORM_VK_ESCAPE);
        return 1;
    }
    if (i + 2 >= size)
        return 0;
    if (buf[i + 2] == 'M') {
        // X10 mouse: three bytes, each the value plus 32; positions count from 1. A byte holds
        // positions up to 222 (counted from 0); from 223 on the terminal sends a zero byte, which
        // is still a report, so that a release out there is not lost.
        if (i + 6 > size)
            return 0;
        auto position = [](unsigned char b) { return b == 0 ? X10_PAST_END : b - 33; };
        int cb = (unsigned char)buf[i + 3] - 32;
        int cx = position((unsigned char)buf[i + 4]);
        int cy = position((unsigned char)buf[i + 5]);
        if (cb >= 0 && cx >= 0 && cy >= 0)
            MouseReport(pParser, cb, cx, cy, false, true, now);
        return 6;
    }
    size_t j = i + 2;
    while (j < size && (unsigned char)buf[j] >= 0x20 && (unsigned char)buf[j] <= 0x3F)
        j++;
    if (j - i > TERMINAL_MAX_SEQUENCE) {
        // Noise: what came so far is dropped, and the rest up to its final byte as it comes.
        pParser->m_skipping = 1;
        return j - i;
    }
    if (j == size)
        return 0;
    unsigned char final = (unsigned char)buf[j];
    if (final < 0x40 || final > 0x7E)
        return j - i;  // broken off by a control byte, which is read on its own
    const char *pParams = buf.data() + i + 2;
    size_t len = j - (i + 2);
    if (len > 0 && pParams[0] == '<' && (final == 'M' || final == 'm'))
        SgrMouse(pParser, pParams, len, (char)final, now);
    else
        CsiKey(pParser, pParams, len, (char)final);
    return j + 1 - i;
}

// Skips pasted text from buf[i] up to and with the end-of-paste mark. Returns where reading goes
// on; when the mark has not come yet, the bytes that may be its start stay pending.
static size_t SkipPaste(TerminalInputParser *pParser, const std::string &buf, size_t i)
{
    static const char s_pasteEnd[] = "\x1b[201~";
    const size_t markLen = sizeof s_pasteEnd - 1;
    size_t at = buf.find(s_pasteEnd, i);
    if (at != std::string::npos) {
        pParser->m_inPaste = 0;
        return at + markLen;
    }
    size_t keep = std::min(markLen - 1, buf.size() - i);
    while (keep > 0 && buf.compare(buf.size() - keep, keep, s_pasteEnd, keep) != 0)
        keep--;
    return buf.size() - keep;
}

// Parses all complete input in the pending bytes; an unfinished escape sequence stays pending.
static void ParsePending(TerminalInputParser *pParser, uint32_t now)
{
    const std::string &buf = pParser->m_pending;
    size_t i = 0;
    while (i < buf.size()) {
        if (pParser->m_inPaste) {
            size_t next = SkipPaste(pParser, buf, i);
            if (pParser->m_inPaste) {
                i = next;
                break;
            }
            i = next;
            continue;
        }
        unsigned char c = (unsigned char)buf[i];
        if (pParser->m_skipping) {
            if (c >= 0x20 && c <= 0x7E) {
                pParser->m_skipping = c <= 0x3F;  // a final byte ends the noise
                i++;
                continue;
            }
            pParser->m_skipping = 0;  // a control byte ends it too, and is read on its own
        }
        if (c != ESC) {
            PlainByte(pParser, c);
            i++;
            continue;
        }
        size_t n = ParseEscape(pParser, buf, i, now);
        if (n == 0)
            break;
        i += n;
    }
    pParser->m_pending.erase(0, i);
}

void TerminalInputFeed(TerminalInputParser *pParser, const char *pBytes, size_t count, uint32_t now)
{
    if (count == 0)
        return;
    // Noise that stopped coming for the timeout is over: what comes now is read afresh.
    if (now - pParser->m_pendingSince >= TERMINAL_ESC_TIMEOUT_MS)
        pParser->m_skipping = 0;
    pParser->m_pending.append(pBytes, count);
    pParser->m_pendingSince = now;
    ParsePending(pParser, now);
}

void TerminalInputTick(TerminalInputParser *pParser, uint32_t now)
{
    // A paste whose end mark never came is over once the terminal has been quiet for a while.
    if (pParser->m_inPaste) {
        if (now - pParser->m_pendingSince < TERMINAL_PASTE_QUIET_MS)
            return;
        pParser->m_inPaste = 0;
        pParser->m_pending.clear();
    }
    // What stays pending always starts with ESC. Once nothing has followed it for the timeout,
    // that ESC was the Escape key and whatever came with it is read on its own.
    while (!pParser->m_pending.empty() &&
           now - pParser->m_pendingSince >= TERMINAL_ESC_TIMEOUT_MS) {
        PushKey(pParser, PLATFORM_VK_ESCAPE);
        pParser->m_pending.erase(0, 1);
        ParsePending(pParser, now);
    }
}

int TerminalInputPop(TerminalInputParser *pParser, PlatformInputRecord *pRecord)
{
    if (pParser->m_records.empty())
        return 0;
    *pRecord = pParser->m_records.front();
    pParser->m_records.pop_front();
    return 1;
}
