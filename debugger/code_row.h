// One line of disassembled code as the debugger window's rows and the trace
// log show it: 99 columns, blank but for the label of the address (column
// 0), the CPU address (column 17, four hex digits), the instruction (column
// 26) and, in the window, the comment (";" at column 67, text from 69).
#pragma once
#include <cstdint>

constexpr int CodeRowWidth = 99;
constexpr int CodeRowLabelColumn = 0;
constexpr int CodeRowAddressColumn = 17;
constexpr int CodeRowInstructionColumn = 26;
constexpr int CodeRowCommentColumn = 67;
constexpr int CodeRowCommentTextColumn = 69;
constexpr int CodeRowCommentWidth = 30;
constexpr int WindowRowLabelWidth = 16;  // label characters in the window
constexpr int LogRowLabelWidth = 15;     // and in the trace log

// Fills row[0 .. CodeRowWidth - 1] and a terminator for the instruction at
// the CPU address `pc` of the active console; labels and comments are looked
// up at its absolute address, labels cut to label_width characters. Returns
// the instruction's length, and its absolute address in *absolute.
int BuildCodeRow(uint32_t pc, int label_width, bool with_comment, char (&row)[CodeRowWidth + 1],
                 uint32_t* absolute);
