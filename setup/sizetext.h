// Space figures of the setup dialog and the progress position.
#ifndef SETUP_SIZETEXT_H
#define SETUP_SIZETEXT_H

// Free bytes in units of 1024, saturated at the 32-bit maximum so that a
// drive of 4 TiB or more never wraps to a small figure.
unsigned long SaturatedKB(unsigned long long bytes);
// "1,234,567K Bytes": commas every third digit from the right.
int FormatGroupedKB(unsigned long kb, char* out, unsigned cap);
// "1234K Bytes": no grouping.
int FormatPlainKB(unsigned long kb, char* out, unsigned cap);
// Percentage of neededKB copied; 100 when something was copied but
// nothing was needed, and never above 100.
unsigned ProgressPosition(unsigned long copiedKB, unsigned long neededKB);

#endif
