// SN76489 PSG: the CPU-side registers and the command log.
#include "machine/psg.h"

#include <cstring>

uint8_t sound_volume = 75;
bool sound_reverse_stereo = false;

void PsgResetSettings() {
  sound_volume = 75;
  sound_reverse_stereo = false;
}

void PsgInit(PsgState* psg, uint32_t clock) { (void)psg; (void)clock; }
void PsgReset(PsgState* psg) { (void)psg; }
void PsgWrite(PsgState* psg, uint8_t value) { (void)psg; (void)value; }
void PsgWriteStereo(PsgState* psg, uint8_t value) { (void)psg; (void)value; }
void PsgLineTick(PsgState* psg, bool sound) { (void)psg; (void)sound; }
void PsgFrameEnd(PsgState* psg, bool sound) { (void)psg; (void)sound; }
void PsgRender(PsgState* psg, uint32_t samples) { (void)psg; (void)samples; }
bool PsgReadSamples(PsgState* psg, void* dest, uint32_t bytes) { (void)psg; (void)dest; (void)bytes; return false; }
bool PsgSaveState(const PsgState* psg, FILE* file) { (void)psg; (void)file; return false; }
bool PsgLoadState(PsgState* psg, FILE* file) { (void)psg; (void)file; return false; }
