#include "text.h"

unsigned TextLength(const char* s)
{
    unsigned n = 0;
    while (s[n])
        n++;
    return n;
}

int TextEqual(const char* a, const char* b)
{
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

static char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

int TextSameStart(const char* a, const char* b, unsigned n)
{
    for (unsigned i = 0; i < n; i++) {
        if (!a[i] || Lower(a[i]) != Lower(b[i]))
            return 0;
        // A trail byte is no letter: it compares exactly.
        if (TextIsLeadByte((unsigned char)a[i]) && i + 1 < n) {
            i++;
            if (a[i] != b[i])
                return 0;
        }
    }
    return 1;
}

void TextZero(char* dst, unsigned cap)
{
    for (unsigned i = 0; i < cap; i++)
        dst[i] = 0;
}

int TextAppend(char* dst, unsigned cap, const char* src)
{
    if (cap == 0)
        return 0;
    unsigned n = 0;
    while (n < cap && dst[n])
        n++;
    if (n == cap) {             // not terminated: refuse rather than guess
        dst[0] = 0;
        return 0;
    }
    unsigned len = TextLength(src);
    if (len >= cap - n) {
        dst[0] = 0;
        return 0;
    }
    for (unsigned i = 0; i <= len; i++)
        dst[n + i] = src[i];
    return 1;
}

int TextCopy(char* dst, unsigned cap, const char* src)
{
    if (cap == 0)
        return 0;
    dst[0] = 0;
    return TextAppend(dst, cap, src);
}

int TextCopyPrefix(char* dst, unsigned cap, const char* src, unsigned n)
{
    if (n >= cap) {
        if (cap)
            dst[0] = 0;
        return 0;
    }
    for (unsigned i = 0; i < n; i++)
        dst[i] = src[i];
    dst[n] = 0;
    return 1;
}

int TextAppendChar(char* dst, unsigned cap, char c)
{
    char one[2] = { c, 0 };
    return TextAppend(dst, cap, one);
}

unsigned TextNext(const char* s, unsigned i)
{
    return TextIsLeadByte((unsigned char)s[i]) && s[i + 1] ? i + 2 : i + 1;
}

unsigned TextAfterLastBackslash(const char* s, unsigned from)
{
    unsigned after = 0;
    for (unsigned i = 0; s[i]; i = TextNext(s, i))
        if (s[i] == '\\' && i >= from)
            after = i + 1;
    return after;
}

int TextEndsWithBackslash(const char* s)
{
    unsigned after = TextAfterLastBackslash(s, 0);
    return after > 0 && !s[after];
}

int TextEnsureBackslash(char* dst, unsigned cap)
{
    if (TextEndsWithBackslash(dst))
        return 1;
    return TextAppendChar(dst, cap, '\\');
}

int TextJoin(char* dst, unsigned cap, const char* root, const char* name)
{
    // root may be dst itself: the name is then appended in place.
    if (dst != root && !TextCopy(dst, cap, root))
        return 0;
    if (dst[0] && !TextEndsWithBackslash(dst) && !TextAppendChar(dst, cap, '\\'))
        return 0;
    return TextAppend(dst, cap, name);
}
