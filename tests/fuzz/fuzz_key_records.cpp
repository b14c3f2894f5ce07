// The key-record decoder over reads of any length, up to and past 1200 bytes.
#include <cassert>
#include <cstdint>
#include <cstring>
#include "keyrecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    unsigned char* buffer = new unsigned char[1200];
    size_t copied = size < 1200 ? size : 1200;
    memcpy(buffer, data, copied);
    // The driver may report any byte count; the reader clamps it to its buffer.
    unsigned n = KeyRecordCount((unsigned long)size, 1200);
    assert(n <= 100);
    for (unsigned i = 0; i < n && (i + 1) * KEY_RECORD_SIZE <= copied; i++) {
        unsigned a = KeyRecordAction(buffer + i * KEY_RECORD_SIZE);
        assert(a == 0 || a == 100 || a == 101);
    }
    delete[] buffer;
    return 0;
}
