#include "stringbox.h"
#include "text.h"

int StringBox(HINSTANCE instance, UINT stringId, unsigned size, HWND owner, const char* caption, UINT flags)
{
    char text[STRING_BOX_SIZE];
    TextZero(text, sizeof text);
    LoadStringA(instance, stringId, text, size < sizeof text ? size : sizeof text);
    return MessageBoxA(owner, text, caption, flags);
}
