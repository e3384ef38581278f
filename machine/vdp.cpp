// VDP lifecycle: creation, power-on, reset and mode changes.
#include "machine/vdp.h"

uint8_t VCounterTable[6][313];
uint8_t HCounterTable[228];
void (*VdpMessageHook)(const char* text) = nullptr;

void VdpBuildCounterTables() {}
bool VdpCreate(VdpState* vdp, Machine* machine) { vdp->machine = machine; return true; }
void VdpDestroy(VdpState*) {}
void VdpPowerOn(VdpState*) {}
void VdpReset(VdpState*) {}
void VdpApplyMode(VdpState*) {}
void VdpRebuildPalette(VdpState*) {}
void VdpWriteControl(VdpState*, uint8_t) {}
void VdpWriteData(VdpState*, uint8_t) {}
uint8_t VdpReadData(VdpState*) { return 0xFF; }
uint8_t VdpReadStatus(VdpState*) { return 0x1F; }
uint8_t VdpReadVCounter(VdpState*) { return 0; }
uint8_t VdpReadHCounter(VdpState*) { return 0; }
int VdpLinePosition(const VdpState*) { return 0; }
void VdpSetFrameFlag(VdpState*) {}
void VdpLineTick(VdpState*) {}
void VdpLineEnd(VdpState*) {}
bool VdpSaveState(const VdpState*, FILE*) { return false; }
bool VdpLoadState(VdpState*, FILE*) { return false; }
void VdpWriteStateBlock(const VdpState*, uint8_t*) {}
bool VdpReadStateBlock(VdpState*, const uint8_t*) { return false; }
static uint8_t blank_row[8];
const uint8_t* VdpDecodeTileRow(VdpState*, int) { return blank_row; }
void VdpDrawTileRow(VdpState*, int, uint8_t, uint16_t*) {}
void VdpTileRowIndices(VdpState*, int, uint8_t, uint8_t*) {}
void VdpRenderLine(VdpState*) {}
void VdpEvaluateSprites(VdpState*) {}
void VdpCheckCollisions(VdpState*) {}
VdpWindow VdpVisibleWindow(const VdpState* vdp) { return {8, 0, 256, 192, vdp->surfaces[1], vdp->draw_surface}; }
void VdpSwapSurfaces(VdpState*) {}
