#include "game/core/messagelog.h"

#include <string>
#include <deque>

#include "baseutilities/baseassert.h"

namespace {
struct Message {
    std::string text;
    unsigned char attr;
};
std::deque<Message> s_messages;
MessageListener s_pfnListener = nullptr;
}  // namespace

void AddMessage(const char *pText, unsigned char attr)
{
    V_ASSERT(pText != NULL);
    s_messages.push_back({pText, attr});
    if (s_messages.size() > MESSAGES_KEPT)
        s_messages.pop_front();
    if (s_pfnListener)
        s_pfnListener(pText, attr);
}

int MessageCount(void) { return (int)s_messages.size(); }

const char *MessageText(int index)
{
    V_ASSERT(index >= 0 && index < MessageCount());
    return s_messages[index].text.c_str();
}

unsigned char MessageAttr(int index)
{
    V_ASSERT(index >= 0 && index < MessageCount());
    return s_messages[index].attr;
}

// Releases the storage too, so a test run or a new game leaves nothing behind.
void MessagesClear(void) { std::deque<Message>().swap(s_messages); }

void MessageSetListener(MessageListener pfnListener) { s_pfnListener = pfnListener; }
