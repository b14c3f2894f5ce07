#include "sizetext.h"
#include "text.h"

static const char SZ_KBYTES[] = "K Bytes";

unsigned long SaturatedKB(unsigned long long bytes)
{
    unsigned long long kb = bytes / 1024;
    return kb > 0xFFFFFFFFull ? 0xFFFFFFFFul : (unsigned long)kb;
}

static int Format(unsigned long kb, char* out, unsigned cap, int grouped)
{
    char digits[16];
    unsigned n = 0;
    do {
        digits[n++] = (char)('0' + kb % 10);
        kb /= 10;
    } while (kb);
    char text[32];
    unsigned t = 0;
    for (unsigned i = n; i > 0; i--) {
        text[t++] = digits[i - 1];
        if (grouped && i > 1 && (i - 1) % 3 == 0)
            text[t++] = ',';
    }
    text[t] = 0;
    return TextCopy(out, cap, text) && TextAppend(out, cap, SZ_KBYTES);
}

int FormatGroupedKB(unsigned long kb, char* out, unsigned cap)
{
    return Format(kb, out, cap, 1);
}

int FormatPlainKB(unsigned long kb, char* out, unsigned cap)
{
    return Format(kb, out, cap, 0);
}

unsigned ProgressPosition(unsigned long copiedKB, unsigned long neededKB)
{
    if (copiedKB == 0)
        return 0;
    if (neededKB == 0)
        return 100;
    if (copiedKB >= neededKB)
        return 100;
    // Below neededKB the percentage fits; split the product where it would
    // not, so that no 64-bit division is needed on PE32.
    if (copiedKB <= 0xFFFFFFFFul / 100)
        return (unsigned)(copiedKB * 100 / neededKB);
    return (unsigned)(copiedKB / (neededKB / 100));
}
