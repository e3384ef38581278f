// The SDSC debug console: an 80 x 25 text screen that homebrew programs
// write through port $FC (control codes) and port $FD (text and "%" formats
// that print memory, VRAM, VDP and CPU values), and the SDSC tag in the ROM
// header that names the program. The console lives for the whole run: a ROM
// load or a reset leaves it alone; clear-screen and state loads replace it.
#pragma once
#include <cstdint>
#include <string>

struct Surface;

constexpr int ConsoleColumns = 80;
constexpr int ConsoleRows = 25;
constexpr int ConsoleCells = ConsoleColumns * ConsoleRows;
constexpr int ConsoleCellWidth = 7;   // pixels per cell when drawn
constexpr int ConsoleCellHeight = 9;
constexpr int ConsoleStateSize = 4013;  // the block in state files

// In the order and widths of the state block.
struct ConsoleState {
  uint8_t chars[ConsoleCells];  // row-major; 0 = empty, else $20-$7F
  uint8_t attrs[ConsoleCells];  // high nibble background, low nibble text colour
  uint8_t cursor_col;           // 0-79
  uint8_t cursor_row;           // 0-24
  uint8_t attr;                 // for new characters
  uint8_t control_state;        // 0-3
  uint8_t pending_row;          // row byte of a pending cursor move
  uint8_t data_state;           // 0-6
  uint16_t param;               // of a pending format
  uint16_t width;
  uint8_t data_type[2];
  uint8_t format;
};

extern ConsoleState Console;
// Set whenever the screen changes; whoever draws it clears it.
extern bool ConsoleChanged;
// Colour index -> $RRGGBB.
extern const uint32_t ConsoleColours[16];

// Every field zero (program start, tests). The hooks stay as they are.
void ResetConsole();

void ConsoleControl(uint8_t value);  // port $FC
void ConsoleData(uint8_t value);     // port $FD

// The text of a row: empty cells as blanks, trailing blanks removed.
std::string ConsoleRowText(int row);

// Watchers of the text, for the headless runner; none by default, so the
// console costs nothing more without them.
// A row the cursor leaves: line feed, wrap, a move to another row, or a
// clear wiping the text under the cursor.
extern void (*ConsoleLineHook)(const std::string& text);
// A row leaving the screen: scrolled off the top, or wiped by a clear
// (rows down to the last one holding text).
extern void (*ConsoleTranscriptHook)(const std::string& text);
// Hands the rows still on the screen to ConsoleTranscriptHook, as a clear
// would, without clearing (end of a run).
void FlushConsoleTranscript();
// Control code 1. EnterBreakState by default; none ignores the request
// (the headless runner has no debugger to stop in).
extern void (*ConsoleBreakHook)();

// The state block (ConsoleStateSize bytes). CheckConsoleBlock refuses values
// the console never holds (cursor outside the screen, unknown states,
// characters it cannot store); ReadConsoleBlock takes a checked block.
void WriteConsoleBlock(uint8_t* block);
bool CheckConsoleBlock(const uint8_t* block);
void ReadConsoleBlock(const uint8_t* block);

// Drawing: every cell filled with its background colour, then the glyph
// callback draws the character (never 0 or a blank) in its text colour at
// the cell's top-left pixel. Colours are pixel values of the target's format.
using ConsoleGlyphFn = void (*)(void* context, Surface* target, int x, int y, uint8_t character,
                                uint32_t pixel);
void DrawConsole(Surface* target, int x, int y, ConsoleGlyphFn draw_glyph, void* context);

// The SDSC tag of the installed image (at $7FE0, images of 32 KB or more).
struct SdscTag {
  int major, minor;     // version
  int day, month, year;
  std::string author, name, description;
};
bool ReadSdscTag(SdscTag* tag);
// After a ROM load: the tag's lines in the Messages window, when there is one.
void ShowSdscTag();
