// Bounded text helpers. Every copy and append goes through these; each one
// writes at most cap bytes (terminating NUL included) and returns 1 only when
// the whole text fit. On 0 the destination holds the empty string, so a
// truncated path can never be used by mistake.
#ifndef TANDREL_TEXT_H
#define TANDREL_TEXT_H

unsigned TextLength(const char* s);
int TextEqual(const char* a, const char* b);
// The first n characters of a and b alike without regard to ASCII case
// (the second byte of a double-byte character compares exactly); 0 where
// either text is shorter.
int TextSameStart(const char* a, const char* b, unsigned n);
int TextCopy(char* dst, unsigned cap, const char* src);
int TextAppend(char* dst, unsigned cap, const char* src);
// The first n characters of src (n no more than its length).
int TextCopyPrefix(char* dst, unsigned cap, const char* src, unsigned n);
int TextAppendChar(char* dst, unsigned cap, char c);
// root + name; a backslash goes between them unless root is empty or already
// ends with one. dst may be root itself.
int TextJoin(char* dst, unsigned cap, const char* root, const char* name);
// Whether c opens a double-byte character in the system's ANSI code page,
// where the byte after it may have a backslash's code.
int TextIsLeadByte(unsigned char c);
// The index of the character after the one at i: double-byte characters
// count as one, so scans never stop on a trail byte.
unsigned TextNext(const char* s, unsigned i);
// The index just past the last backslash at index from or later; 0 when
// there is none.
unsigned TextAfterLastBackslash(const char* s, unsigned from);
int TextEndsWithBackslash(const char* s);
// Appends a backslash unless the text already ends with one.
int TextEnsureBackslash(char* dst, unsigned cap);
void TextZero(char* dst, unsigned cap);

#endif
