#include "keyrecord.h"

unsigned KeyRecordAction(unsigned char* record)
{
    unsigned code = record[2] | (record[3] << 8);
    unsigned flags = record[4] | (record[5] << 8);
    if (flags & KEY_BREAK_FLAG) {
        code = (code + 0x80) & 0xFFFF;
        record[2] = (unsigned char)code;
        record[3] = (unsigned char)(code >> 8);
    }
    if (!(flags & KEY_E0_FLAG))
        return 0;
    if (code == 0xDE)
        return 100;
    if (code == 0xDF)
        return 101;
    return 0;
}

unsigned KeyRecordCount(unsigned long bytesRead, unsigned long bufferSize)
{
    if (bytesRead > bufferSize)
        bytesRead = bufferSize;
    return (unsigned)(bytesRead / KEY_RECORD_SIZE);
}
