// The video display processor of one machine: the data, control, status
// and counter ports, VRAM, CRAM, the sixteen registers, the line timing
// hooks the frame scheduler calls, the save-state block, and the renderer
// that turns one line at a time into pixels of a 272 x 240 RGB565 surface.
// Mode 4 is the Master System's own layout; the older TMS9918 modes
// (Graphics I and II, Text, Multicolour) are drawn for programs that use them.
#pragma once
#include <cstdint>
#include <cstdio>

struct Machine;
struct PixelBuffer;

constexpr int VdpVramSize = 16384;
constexpr int VdpTileRows = 4096;      // one per 4 bytes of VRAM
constexpr int VdpSurfaceWidth = 272;   // 8-pixel margins left and right
constexpr int VdpSurfaceHeight = 240;
constexpr int VdpSurfaceMargin = 8;    // picture x is surface x - 8
constexpr int VdpMaxSprites = 64;
constexpr int VdpStateBlockSize = 16740;

// Status bits; bits 0-4 always read as 1.
constexpr uint8_t VdpStatusFrame = 0x80;
constexpr uint8_t VdpStatusOverflow = 0x40;
constexpr uint8_t VdpStatusCollision = 0x20;

// Top two bits of the second control byte.
constexpr uint8_t VdpCodeVramRead = 0x00;
constexpr uint8_t VdpCodeVramWrite = 0x40;
constexpr uint8_t VdpCodeRegister = 0x80;
constexpr uint8_t VdpCodeCram = 0xC0;

struct VdpSprite {
  uint16_t tile_row;  // index into the decoded tile rows
  uint16_t x;         // 0..255, shift already applied
};

// Display modes by kind number. The legacy modes come from the M1-M3 bits
// (R1 bit 4, R1 bit 3, R0 bit 1) while the mode 4 bit (R0 bit 2) is clear.
enum VdpMode : uint8_t { VdpMode4, VdpGraphics1, VdpGraphics2, VdpMulticolour, VdpText };

constexpr int VdpLegacySprites = 32;
constexpr int VdpLegacyLines = 192;  // the legacy modes have 24 rows of 8 lines

// One sprite of the current line in a legacy mode, its row already fetched.
struct VdpLegacySprite {
  int16_t x;       // -32..255, early clock applied
  uint16_t bits;   // the row's pattern, leftmost pixel in bit 15
  uint8_t colour;  // 0..15; 0 is transparent but still collides
};

struct VdpState {
  uint8_t* vram;                    // VdpVramSize bytes, owned
  uint8_t cram[64];
  uint8_t regs[16];                 // every write is stored
  uint8_t cram_mask;                // 0x1F, or 0x3F with 12-bit colours
  uint8_t tile_dirty[VdpTileRows];  // set by VRAM writes, cleared on decode
  uint8_t tile_rows[VdpTileRows][8];  // decoded colour indices 0..15
  // The same rows as four pixel pairs (left | right << 4, leftmost pair in
  // the low byte), as drawn and horizontally flipped.
  uint32_t tile_pairs[VdpTileRows][2];

  uint8_t frames_per_second;        // 60 or 50
  uint16_t lines_per_frame;         // 262 or 313
  uint16_t active_lines;            // 192, 224 or 240
  uint16_t line;                    // current line, 0 .. lines_per_frame - 1
  uint16_t name_table_height;       // 224 or 256: vertical wrap in pixels
  uint16_t palette[32];             // RGB565; 0-15 background, 16-31 sprites
  uint32_t pair_colours[2][256];    // two pixels' colours by pair code, per palette half
  uint8_t pair_colours_stale;       // palette changed since pair_colours were built

  PixelBuffer* surfaces[2];         // 272 x 240 RGB565, owned
  PixelBuffer* draw_surface;        // the one being drawn into

  uint8_t x_scroll_latch;
  uint8_t y_scroll_latch;
  uint8_t display_off;              // of the line drawn last
  const uint8_t* vcounter_table;    // one of VCounterTable[]

  uint16_t sprite_count;            // sprites of the current line
  VdpSprite sprites[VdpMaxSprites];
  uint16_t legacy_sprite_count;     // the same in a legacy mode
  VdpLegacySprite legacy_sprites[VdpLegacySprites];
  // Status bits 0-4 in a legacy mode: the fifth sprite's number, or the last
  // sprite looked at. Mode 4 reads them as 1.
  uint8_t sprite_number;
  // Set by the first colour RAM write after power-on: a program that loads
  // colours is drawn in mode 4 even without the mode 4 bit.
  uint8_t cram_written;

  uint8_t status;
  uint8_t code;                     // VdpCode*
  uint8_t latch;                    // 1 between the two control bytes
  uint8_t first_byte;               // first control byte
  uint8_t gg_cram_latch;            // even CRAM byte waiting for its odd partner
  uint8_t read_buffer;
  uint8_t line_counter;
  uint8_t line_irq_pending;
  uint16_t address;                 // low 14 bits address VRAM

  uint32_t last_access_pos;         // line position of the last data access
  uint32_t bad_access_count;        // badly timed accesses this frame
  uint8_t access_grace;             // set at every line end

  Machine* machine;                 // whose line position the counters read
};

// V counter tables by standard and active lines: index VdpTableNtsc192 ..
// VdpTablePal240, each indexed by the line number.
enum VdpCounterTableKind {
  VdpTableNtsc192, VdpTableNtsc224, VdpTableNtsc240,
  VdpTablePal192, VdpTablePal224, VdpTablePal240,
};
extern uint8_t VCounterTable[6][313];
extern uint8_t HCounterTable[228];
void VdpBuildCounterTables();  // once at start; repeating it is harmless

// Shown once at the end of a frame that had badly timed VRAM accesses; the
// application installs its status-line function here.
extern void (*VdpMessageHook)(const char* text);

// Lifecycle.
bool VdpCreate(VdpState* vdp, Machine* machine);  // false without memory
void VdpDestroy(VdpState* vdp);
void VdpPowerOn(VdpState* vdp);
void VdpReset(VdpState* vdp);
void VdpApplyMode(VdpState* vdp);
void VdpRebuildPalette(VdpState* vdp);

// Ports.
void VdpWriteControl(VdpState* vdp, uint8_t value);   // $BD, $BF
void VdpWriteData(VdpState* vdp, uint8_t value);      // $BE
uint8_t VdpReadData(VdpState* vdp);                   // $BE
uint8_t VdpReadStatus(VdpState* vdp);                 // $BD, $BF
uint8_t VdpReadVCounter(VdpState* vdp);               // $7E
uint8_t VdpReadHCounter(VdpState* vdp);               // $7F
int VdpLinePosition(const VdpState* vdp);             // 0..227

// Line hooks called by the frame scheduler.
void VdpSetFrameFlag(VdpState* vdp);  // position 150 of the first line below the picture
void VdpLineTick(VdpState* vdp);      // position 171 of every line
// Whether VdpLineTick, run now, would assert the interrupt line.
bool VdpLineTickAsserts(const VdpState* vdp);
void VdpLineEnd(VdpState* vdp);       // position 228 of every line

// The 16740-byte save-state block. Loading reads the whole block first and
// leaves the VDP untouched when it is short or holds impossible values.
bool VdpSaveState(const VdpState* vdp, FILE* file);
bool VdpLoadState(VdpState* vdp, FILE* file);
void VdpWriteStateBlock(const VdpState* vdp, uint8_t* block);      // VdpStateBlockSize bytes
bool VdpReadStateBlock(VdpState* vdp, const uint8_t* block);

// The 6-bit console colour (bits 0-1 red, 2-3 green, 4-5 blue) in RGB565.
constexpr uint16_t VdpColourFrom6Bit(uint8_t c) {
  return uint16_t(((c & 0x03) << 14) | ((c & 0x0C) << 7) | ((c & 0x30) >> 1));
}
// The 16 fixed colours of the legacy modes as the Master System VDP outputs
// them, as 6-bit console colours; 0 is transparent and shows as black.
constexpr uint8_t VdpLegacyColours[16] = {0x00, 0x00, 0x08, 0x0C, 0x10, 0x30, 0x01, 0x3C,
                                          0x02, 0x03, 0x05, 0x0F, 0x04, 0x33, 0x15, 0x3F};

// The mode lines are drawn in now. Mode 4 whenever its bit is set, always on
// the Game Gear (whose VDP lacks the legacy modes), and for any program that
// has written the colour RAM, which exists only for mode 4.
VdpMode VdpCurrentMode(const VdpState* vdp);
// The status byte as a read returns it (bits 0-4 by mode), without the read's
// side effects.
uint8_t VdpStatusValue(const VdpState* vdp);

// Shared by the VDP's own files.
void VdpSelectCounterTable(VdpState* vdp);           // for the standard and active lines
void VdpUpdateColour(VdpState* vdp, unsigned address);  // palette entry of a CRAM address
void VdpSetInterrupt(VdpState* vdp, bool asserted);  // drive the machine's interrupt line

// Renderer.
const uint8_t* VdpDecodeTileRow(VdpState* vdp, int row);  // 8 indices 0..15
// Draws tile row `row` with the flip and palette bits of a name table
// entry's high byte as 8 opaque palette colours.
void VdpDrawTileRow(VdpState* vdp, int row, uint8_t attributes, uint16_t* dest);
// The same 8 pixels as palette indices 0..31 in screen order.
void VdpTileRowIndices(VdpState* vdp, int row, uint8_t attributes, uint8_t* indices);
void VdpRenderLine(VdpState* vdp);
void VdpEvaluateSprites(VdpState* vdp);
void VdpCheckCollisions(VdpState* vdp);
// The legacy modes' parts of the three above, called by them.
void VdpRenderLegacyLine(VdpState* vdp, VdpMode mode, uint16_t* picture);
void VdpEvaluateLegacySprites(VdpState* vdp, VdpMode mode);
void VdpCheckLegacyCollisions(VdpState* vdp);

struct VdpWindow {
  int x, y, width, height;  // in surface pixels
  PixelBuffer* finished;    // the picture completed last
  PixelBuffer* drawn;       // the picture being drawn
};
VdpWindow VdpVisibleWindow(const VdpState* vdp);
void VdpSwapSurfaces(VdpState* vdp);
