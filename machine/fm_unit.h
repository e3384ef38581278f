// The FM sound unit of the Japanese Master System: a YM2413 behind ports
// $F0 (register address, write only), $F1 (register data, write only) and
// $F2, the audio control register. Bits 1-0 of $F2 choose what the console
// plays: 0 the PSG alone, 1 the FM alone, 2 neither, 3 both; bit 0 reads
// back (the other bits read 0), which is how programs find the unit.
//
// The unit is fitted when the option word has OptFmUnit and the console is
// not a Game Gear. Without it the three ports are not decoded at all (writes
// are lost, reads give $FF) and nothing here runs, so the PSG's samples are
// exactly those of a console without the unit.
//
// The chip is driven by frames (machine/ym2413.h): a line step after every
// scanline and, at the frame's end, its samples mixed into the frame the PSG
// has just rendered, both sides alike, scaled so that one FM channel at its
// loudest is as loud as one PSG channel, and by sound_volume as the PSG is.
#pragma once
#include <cstdint>

struct Machine;
struct PsgState;

constexpr uint8_t FmControlPsg = 0x00;   // power-on: the PSG alone
constexpr uint8_t FmControlFm = 0x01;
constexpr uint8_t FmControlMask = 0x03;  // the bits the control register keeps

bool FmUnitPresent();

// Called with every register write the primary machine's program makes
// through $F1 (the latched address and the value), after the chip took
// it; none when nothing listens (the VGM logger sets it while it logs).
extern void (*FmWriteHook)(uint8_t reg, uint8_t value);

// Ports $F0-$F2 with the unit fitted.
void FmPortWrite(Machine* machine, uint8_t port, uint8_t value);
uint8_t FmReadControl(const Machine* machine);

// Power-on: chip registers 0, control $00. Keeps the frame geometry.
void FmReset(Machine* machine);
// The frame geometry from the machine's video standard (SetupTiming).
void FmSetupTiming(Machine* machine);
// Per line and per frame, only while the unit is fitted.
void FmLineTick(Machine* machine, bool sound);
// Completes the chip's frame and mixes it into the frame the PSG rendered
// last, as the control register says; with sound only.
void FmFrameEnd(Machine* machine, bool sound);

// Adds `count` mono FM samples, times 4 * sound_volume / 100, to both sides of
// the last `count` stereo frames written to the PSG's ring, saturating;
// without `keep_psg` the PSG's own samples there are dropped first. The VGM
// player mixes its own chip the same way.
void FmMixIntoRing(PsgState* psg, const int16_t* mono, uint32_t count, bool keep_psg);
