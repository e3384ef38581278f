// The video display processor of one machine: the data, control, status
// and counter ports, VRAM, CRAM, the sixteen registers, the line timing
// hooks the frame scheduler calls, the save-state block, and the renderer
// that turns one line at a time into pixels of a 272 x 240 RGB565 surface.
// Only the mode 4 layout exists.
#pragma once
#include <cstdint>
#include <cstdio>

struct Machine;
struct Surface;

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

  Surface* surfaces[2];             // 272 x 240 RGB565, owned
  Surface* draw_surface;            // the one being drawn into

  uint8_t x_scroll_latch;
  uint8_t y_scroll_latch;
  uint8_t display_off;              // of the line drawn last
  const uint8_t* vcounter_table;    // one of VCounterTable[]

  uint16_t sprite_count;            // sprites of the current line
  VdpSprite sprites[VdpMaxSprites];

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
void VdpLineEnd(VdpState* vdp);       // position 228 of every line

// The 16740-byte save-state block. Loading reads the whole block first and
// leaves the VDP untouched when it is short or holds impossible values.
bool VdpSaveState(const VdpState* vdp, FILE* file);
bool VdpLoadState(VdpState* vdp, FILE* file);
void VdpWriteStateBlock(const VdpState* vdp, uint8_t* block);      // VdpStateBlockSize bytes
bool VdpReadStateBlock(VdpState* vdp, const uint8_t* block);

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

struct VdpWindow {
  int x, y, width, height;  // in surface pixels
  Surface* finished;        // the surface completed last
  Surface* drawn;           // the surface being drawn
};
VdpWindow VdpVisibleWindow(const VdpState* vdp);
void VdpSwapSurfaces(VdpState* vdp);
