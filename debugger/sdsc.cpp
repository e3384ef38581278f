// The SDSC console's screen, cursor, control port and data-port state
// machine. The "%" formats themselves are executed in sdsc_format.cpp.
#include "debugger/sdsc.h"

#include <cstring>

#include "debugger/debugger_state.h"
#include "debugger/sdsc_internal.h"

ConsoleState Console;
bool ConsoleChanged = false;
void (*ConsoleLineHook)(const std::string& text) = nullptr;
void (*ConsoleTranscriptHook)(const std::string& text) = nullptr;
void (*ConsoleBreakHook)() = EnterBreakState;

namespace {

enum ControlState : uint8_t { ControlIdle, ControlAttr, ControlRow, ControlColumn };
enum DataState : uint8_t {
  DataIdle = 0, DataWidth = 1, DataType1 = 3, DataType2 = 4, DataParamLow = 5, DataParamHigh = 6,
};
constexpr uint16_t WidthLimit = 256;

uint8_t* RowChars(int row) { return Console.chars + row * ConsoleColumns; }

void ReportRowLeft() {
  if (ConsoleLineHook) ConsoleLineHook(ConsoleRowText(Console.cursor_row));
}

// Rows 0 .. the last one holding text, to the transcript.
void TranscribeScreen() {
  if (!ConsoleTranscriptHook) return;
  int last = ConsoleRows - 1;
  while (last >= 0 && ConsoleRowText(last).empty()) --last;
  for (int row = 0; row <= last; ++row) ConsoleTranscriptHook(ConsoleRowText(row));
}

void NextRow() {
  ReportRowLeft();
  Console.cursor_col = 0;
  if (Console.cursor_row < ConsoleRows - 1) {
    ++Console.cursor_row;
    return;
  }
  if (ConsoleTranscriptHook) ConsoleTranscriptHook(ConsoleRowText(0));
  std::memmove(Console.chars, RowChars(1), ConsoleCells - ConsoleColumns);
  std::memmove(Console.attrs, Console.attrs + ConsoleColumns, ConsoleCells - ConsoleColumns);
  std::memset(RowChars(ConsoleRows - 1), 0, ConsoleColumns);
  std::memset(Console.attrs + ConsoleCells - ConsoleColumns, Console.attr, ConsoleColumns);
}

void ClearScreen() {
  if (ConsoleLineHook && !ConsoleRowText(Console.cursor_row).empty()) ReportRowLeft();
  TranscribeScreen();
  std::memset(Console.chars, 0, ConsoleCells);
  std::memset(Console.attrs, Console.attr, ConsoleCells);
  Console.attr = 0x0F;
  Console.cursor_col = Console.cursor_row = 0;
  Console.control_state = Console.data_state = 0;
}

void MoveCursor(uint8_t row, uint8_t column) {
  row %= ConsoleRows;
  if (row != Console.cursor_row) ReportRowLeft();
  Console.cursor_row = row;
  Console.cursor_col = column % ConsoleColumns;
}

}  // namespace

void ConsolePrint(uint8_t c) {
  ConsoleChanged = true;
  if (c == 0x0A) {
    NextRow();
    return;
  }
  if (c == 0x0D) {
    Console.cursor_col = 0;
    return;
  }
  if (c < 0x20 || c >= 0x80) {
    ConsolePrintText("[?]");
    return;
  }
  int cell = Console.cursor_row * ConsoleColumns + Console.cursor_col;
  Console.chars[cell] = c;
  Console.attrs[cell] = Console.attr;
  if (++Console.cursor_col == ConsoleColumns) NextRow();
}

void ConsolePrintText(const char* text) {
  while (*text) ConsolePrint(static_cast<uint8_t>(*text++));
}

void ResetConsole() {
  Console = ConsoleState{};
  ConsoleChanged = true;
}

void ConsoleControl(uint8_t value) {
  switch (Console.control_state) {
    case ControlAttr:
      Console.attr = value;
      Console.control_state = ControlIdle;
      return;
    case ControlRow:
      Console.pending_row = value;
      Console.control_state = ControlColumn;
      return;
    case ControlColumn:
      MoveCursor(Console.pending_row, value);
      Console.control_state = ControlIdle;
      ConsoleChanged = true;
      return;
    default:
      break;
  }
  switch (value) {
    case 1:
      if (ConsoleBreakHook) ConsoleBreakHook();
      break;
    case 2:
      ClearScreen();
      ConsoleChanged = true;
      break;
    case 3:
      Console.control_state = ControlAttr;
      break;
    case 4:
      Console.control_state = ControlRow;
      break;
    default:
      ConsolePrintText("[ERROR]");
      break;
  }
}

void ConsoleData(uint8_t value) {
  switch (Console.data_state) {
    case DataIdle:
      if (value == '%') {
        Console.data_state = DataWidth;
        Console.width = 0;
      } else {
        ConsolePrint(value);
      }
      return;
    case DataWidth:
      if (value == '%') {
        ConsolePrint('%');
        Console.data_state = DataIdle;
      } else if (value >= '0' && value <= '9') {
        // Held just above the limit rather than wrapped back into it.
        unsigned width = Console.width * 10u + (value - '0');
        Console.width = uint16_t(width > WidthLimit ? WidthLimit + 1 : width);
      } else if (Console.width >= 1 && Console.width <= WidthLimit) {
        Console.format = value;
        Console.data_state = DataType1;
      } else {
        ConsolePrintText("[ERROR]");
        Console.data_state = DataIdle;
      }
      return;
    case DataType1:
      Console.data_type[0] = value;
      Console.data_state = DataType2;
      return;
    case DataType2:
      Console.data_type[1] = value;
      if (ConsoleParamBytes() == 0) {
        ConsolePrintText("[ERROR]");
        Console.data_state = DataIdle;
      } else {
        Console.data_state = DataParamLow;
      }
      return;
    case DataParamLow:
      Console.param = value;
      if (ConsoleParamBytes() == 1) {
        Console.data_state = DataIdle;
        ConsoleExecuteFormat();
      } else {
        Console.data_state = DataParamHigh;
      }
      return;
    case DataParamHigh:
      Console.param = uint16_t(Console.param | value << 8);
      Console.data_state = DataIdle;
      ConsoleExecuteFormat();
      return;
    default:
      Console.data_state = DataIdle;
      return;
  }
}

std::string ConsoleRowText(int row) {
  const uint8_t* chars = RowChars(row);
  int end = ConsoleColumns;
  while (end > 0 && (chars[end - 1] == 0 || chars[end - 1] == ' ')) --end;
  std::string text(static_cast<size_t>(end), ' ');
  for (int i = 0; i < end; ++i)
    if (chars[i]) text[static_cast<size_t>(i)] = static_cast<char>(chars[i]);
  return text;
}

void FlushConsoleTranscript() { TranscribeScreen(); }

void WriteConsoleBlock(uint8_t* block) {
  uint8_t* p = block;
  std::memcpy(p, Console.chars, ConsoleCells);
  std::memcpy(p + ConsoleCells, Console.attrs, ConsoleCells);
  p += 2 * ConsoleCells;
  *p++ = Console.cursor_col;
  *p++ = Console.cursor_row;
  *p++ = Console.attr;
  *p++ = Console.control_state;
  *p++ = Console.pending_row;
  *p++ = Console.data_state;
  *p++ = uint8_t(Console.param);
  *p++ = uint8_t(Console.param >> 8);
  *p++ = uint8_t(Console.width);
  *p++ = uint8_t(Console.width >> 8);
  *p++ = Console.data_type[0];
  *p++ = Console.data_type[1];
  *p++ = Console.format;
}

bool CheckConsoleBlock(const uint8_t* block) {
  for (int i = 0; i < ConsoleCells; ++i)
    if ((block[i] != 0 && block[i] < 0x20) || block[i] >= 0x80) return false;
  const uint8_t* p = block + 2 * ConsoleCells;
  if (p[0] >= ConsoleColumns || p[1] >= ConsoleRows) return false;
  if (p[3] > ControlColumn) return false;
  const uint8_t data_state = p[5];
  if (data_state > DataParamHigh || data_state == 2) return false;
  const uint16_t width = uint16_t(p[8] | p[9] << 8);
  if (width > WidthLimit + 1 || (data_state >= DataType1 && width == 0)) return false;
  return true;
}

void ReadConsoleBlock(const uint8_t* block) {
  const uint8_t* p = block;
  std::memcpy(Console.chars, p, ConsoleCells);
  std::memcpy(Console.attrs, p + ConsoleCells, ConsoleCells);
  p += 2 * ConsoleCells;
  Console.cursor_col = p[0];
  Console.cursor_row = p[1];
  Console.attr = p[2];
  Console.control_state = p[3];
  Console.pending_row = p[4];
  Console.data_state = p[5];
  Console.param = uint16_t(p[6] | p[7] << 8);
  Console.width = uint16_t(p[8] | p[9] << 8);
  Console.data_type[0] = p[10];
  Console.data_type[1] = p[11];
  Console.format = p[12];
  ConsoleChanged = true;
}
