#include "debugger/code_row.h"

#include <algorithm>
#include <cstring>

#include "debugger/debug_lists.h"
#include "debugger/disassembler.h"
#include "machine/console.h"

namespace {

void Place(char* row, int column, const char* text, int width) {
  const int n = static_cast<int>(std::min<size_t>(std::strlen(text), static_cast<size_t>(width)));
  std::memcpy(row + column, text, n);
}

}  // namespace

int BuildCodeRow(uint32_t pc, int label_width, bool with_comment, char (&row)[CodeRowWidth + 1],
                 uint32_t* absolute) {
  static const char Digits[] = "0123456789ABCDEF";
  std::memset(row, ' ', CodeRowWidth);
  row[CodeRowWidth] = 0;
  for (int i = 0; i < 4; ++i) row[CodeRowAddressColumn + i] = Digits[(pc >> (12 - 4 * i)) & 15];
  const uint32_t at = ConsoleAbsoluteAddress(pc);
  if (absolute) *absolute = at;
  if (const char* name = LabelNameAt(at))
    Place(row, CodeRowLabelColumn, name, std::min(label_width, CodeRowAddressColumn));
  if (with_comment) {
    if (const Comment* comment = FindComment(at)) {
      row[CodeRowCommentColumn] = ';';
      Place(row, CodeRowCommentTextColumn, comment->text.c_str(), CodeRowCommentWidth);
    }
  }
  char text[DisassemblyTextSize];
  const int length = Disassemble(pc, text, sizeof text);
  Place(row, CodeRowInstructionColumn, text, CodeRowWidth - CodeRowInstructionColumn);
  return length;
}
