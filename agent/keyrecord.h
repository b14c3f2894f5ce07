// Key records of the filter driver (the 12-byte KEYBOARD_INPUT_DATA).
#ifndef AGENT_KEYRECORD_H
#define AGENT_KEYRECORD_H

#define KEY_RECORD_SIZE 12
#define KEY_BREAK_FLAG  1
#define KEY_E0_FLAG     2

// Adjusts the record's MakeCode in place (a release adds 0x80) and returns
// the power command it stands for: 100 Power released, 101 Sleep released,
// 0 for every other record.
unsigned KeyRecordAction(unsigned char* record);
// Whole records in a read of that many bytes; a trailing partial record is
// ignored, and a count above the buffer's room is clamped to it.
unsigned KeyRecordCount(unsigned long bytesRead, unsigned long bufferSize);

#endif
