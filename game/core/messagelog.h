// messagelog: the game's record of what it told the player. Planets, structures, fleets, gates,
// the turn cycle and battles call AddMessage; the message log view on the game screen shows what
// arrives here, and tests read the same record.
#pragma once

enum { MESSAGES_KEPT = 2000 };  // the newest messages kept; older ones are forgotten

// Appends a message in a console attribute (usually the acting company's colour OR 15).
void AddMessage(const char *pText, unsigned char attr);

/* The record of the newest MESSAGES_KEPT messages, oldest first, for views and tests. */
int MessageCount(void);
const char *MessageText(int index);
unsigned char MessageAttr(int index);
void MessagesClear(void);

// The log view registers here to be told of each new message; null unhooks it.
typedef void (*MessageListener)(const char *pText, unsigned char attr);
void MessageSetListener(MessageListener pfnListener);
