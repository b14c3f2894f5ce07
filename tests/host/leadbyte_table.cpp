// The host has no ANSI code page of its own: a test that sets
// g_doubleByte932 gets the lead bytes of code page 932 (Shift-JIS), whose
// trail bytes include the backslash's code.
#include "text.h"

int g_doubleByte932;

int TextIsLeadByte(unsigned char c)
{
    return g_doubleByte932 && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}
