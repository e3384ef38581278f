// The Z80 disassembler: turns the instruction at a CPU address into one
// line of text and its length in bytes. The texts come from opcodes.dat, one
// template per opcode whose markers are filled with operand values and label
// names:
//   %p%   the prefix starts no instruction: ".db  $XX\n\t", then the rest
//   (i?)  (IX+d) / (IY+d): the displacement, shown signed
//   (I?)  (IX) / (IY);  i?  IX / IY (at most two)
//   (##)  ($nnnn);  ##  $nnnn;  #  $nn
//   *     absolute jump or call target: its label, else $n
//   +     relative jump: the target's label, else $n of the target address
// Operand bytes are taken in the order displacement, immediate, absolute
// target, relative displacement, wherever the markers stand.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t OpcodeFileSize = 101120;
constexpr size_t OpcodeLeadingSize = 19200;  // five blocks the program skips
constexpr int OpcodeRecordCount = 1280;
constexpr int OpcodeRecordSize = 64;
constexpr int DisassemblyTextSize = 64;  // texts are cut to 63 characters

// Reads opcodes.dat. False, with the table left as it was, when the file
// cannot be read, is not exactly OpcodeFileSize bytes, or holds a record
// that is not a terminated text of printable characters, tabs and line feeds.
bool LoadOpcodes(const char* path);
// The same checks and installation for the file's bytes in memory.
bool LoadOpcodeTable(const uint8_t* data, size_t size);
// Every template empty again, as before the first load (tests).
void ResetOpcodes();
// Template text of a record ("" for a number out of range).
const char* OpcodeTemplate(int record);

// Disassembles the instruction at `address` of the memory the core's
// ReadPages table maps (an unmapped page reads $00; nothing is disturbed)
// into `text` (cut to text_size - 1 characters) and returns its length in
// bytes. Jump targets are named through LabelNameAt of the debugger lists.
int DisassembleZ80(uint16_t address, char* text, int text_size);
