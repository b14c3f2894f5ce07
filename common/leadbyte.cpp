// The programs' lead bytes are the system's; the host tests bring their own.
#include <windows.h>
#include "text.h"

int TextIsLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) ? 1 : 0;
}
