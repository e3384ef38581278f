// The VDP as the Z80 sees it: control and data ports, status, the V and H
// counters, the interrupt line and the check for badly timed VRAM accesses.
#include "machine/vdp.h"

#include "machine/machine.h"
#include "machine/options.h"
#include "z80/z80.h"

// Cycles since the line began: where the running slice ends on the line,
// less what the core still has to run of it. Only the machine loaded in the
// core is running; any other stands at its slice end.
int VdpLinePosition(const VdpState* vdp) {
  const Machine* machine = vdp->machine;
  if (!machine) return 0;
  int remaining = machine == CurrentMachine ? CycleCounter : machine->SavedCycleCounter;
  int position = (machine->LineCycleStamp - remaining) % MachineLineCycles;
  return position < 0 ? position + MachineLineCycles : position;
}

// The line is the core's while this machine is loaded, else the record's copy.
void VdpSetInterrupt(VdpState* vdp, bool asserted) {
  int32_t value = asserted ? 0xFF : -1;
  Machine* machine = vdp->machine;
  if (machine && machine != CurrentMachine) machine->SavedIrqLine = value;
  else IrqLine = value;
}

uint8_t VdpReadVCounter(VdpState* vdp) {
  return vdp->vcounter_table[vdp->line];
}

uint8_t VdpReadHCounter(VdpState* vdp) {
  return HCounterTable[VdpLinePosition(vdp)];
}

// Data-port accesses too close together while the display is drawing are
// lost when the timing check is on. The first accesses after a line change
// go unchecked until one comes 28 or more cycles after its predecessor.
static bool AccessAllowed(VdpState* vdp, bool write) {
  uint32_t position = uint32_t(VdpLinePosition(vdp));
  uint32_t since_last = position - vdp->last_access_pos;
  if ((MachineOptions & OptVramAccessWait) && !vdp->access_grace && vdp->line < vdp->active_lines &&
      position > (write ? 48u : 32u) && since_last < 28 && (vdp->regs[1] & 0x40)) {
    vdp->bad_access_count++;
    return false;
  }
  if (since_last >= 28) vdp->access_grace = 0;
  vdp->last_access_pos = position;
  return true;
}

void VdpWriteControl(VdpState* vdp, uint8_t value) {
  if (!vdp->latch) {
    vdp->latch = 1;
    vdp->first_byte = value;
    vdp->address = uint16_t((vdp->address & 0xFF00) | value);
    return;
  }
  vdp->latch = 0;
  vdp->code = value & 0xC0;
  vdp->address = uint16_t(((value & 0x3F) << 8) | (vdp->address & 0xFF));
  if (vdp->code == VdpCodeVramRead) {
    vdp->read_buffer = vdp->vram[vdp->address & 0x3FFF];
    vdp->address++;
  } else if (vdp->code == VdpCodeRegister) {
    // Interrupt enables take effect at the next line tick or status read.
    vdp->regs[value & 0x0F] = vdp->first_byte;
  }
}

// Stores a CRAM byte and refreshes its palette entry when it changes.
static void StoreCram(VdpState* vdp, unsigned address, uint8_t value) {
  unsigned index = address & vdp->cram_mask;
  if (vdp->cram[index] == value) return;
  vdp->cram[index] = value;
  VdpUpdateColour(vdp, index);
}

void VdpWriteData(VdpState* vdp, uint8_t value) {
  if (!AccessAllowed(vdp, true)) return;
  vdp->latch = 0;
  if (vdp->code != VdpCodeCram) {
    vdp->tile_dirty[(vdp->address >> 2) & 0xFFF] = 1;
    vdp->vram[vdp->address & 0x3FFF] = value;
    vdp->address++;
    vdp->read_buffer = value;
    return;
  }
  vdp->cram_written = 1;
  if (!(MachineOptions & OptGameGearIo)) {
    StoreCram(vdp, vdp->address, value);
    vdp->address++;
    vdp->read_buffer = value;
    return;
  }
  // Game Gear: the even byte waits in a latch and lands together with the
  // odd byte, so a colour never shows half written.
  if (!(vdp->address & 1)) {
    vdp->gg_cram_latch = value;
    vdp->read_buffer = value;
    vdp->address++;
    return;
  }
  vdp->address--;
  StoreCram(vdp, vdp->address, vdp->gg_cram_latch);
  vdp->address++;
  StoreCram(vdp, vdp->address, value);
  vdp->address++;
  vdp->read_buffer = value;
}

uint8_t VdpReadData(VdpState* vdp) {
  if (!AccessAllowed(vdp, false)) return 0xFF;
  uint8_t result = vdp->read_buffer;
  vdp->latch = 0;
  if (vdp->code == VdpCodeCram) {
    vdp->address++;
    vdp->read_buffer = 0xFF;
  } else {
    vdp->read_buffer = vdp->vram[vdp->address & 0x3FFF];
    vdp->address++;
  }
  return result;
}

uint8_t VdpReadStatus(VdpState* vdp) {
  uint8_t result = VdpStatusValue(vdp);
  vdp->status &= 0x1F;
  vdp->latch = 0;
  vdp->line_irq_pending = 0;
  VdpSetInterrupt(vdp, false);
  return result;
}
