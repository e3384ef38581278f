#include "machine/ports.h"

#include "machine/machine.h"
#include "machine/options.h"
#include "z80/z80.h"

uint16_t ControllerInput[2];
void (*DebugConsolePortHook)(uint8_t port, uint8_t value) = nullptr;

void ResetControllerInput() { ControllerInput[0] = ControllerInput[1] = 0; }

namespace {

bool GameGear() { return MachineOptions & OptGameGearIo; }
bool MasterSystem() { return MachineOptions & OptMasterSystemIo; }
bool Linked() { return MachineOptions & OptLink; }
bool Japanese() { return MachineOptions & OptJapanese; }

// The machine's own controller: the link partner plays with controller 2.
uint16_t OwnController(const Machine* m) {
  return ControllerInput[m == &PartnerMachine ? 1 : 0];
}

// A line reads 1 unless the button is pressed.
uint8_t Released(uint16_t word, uint16_t button, uint8_t bit) {
  return (word & button) ? 0 : bit;
}

uint8_t ControllerPortA(const Machine* m) {
  const uint16_t own = OwnController(m);
  const uint16_t second = ControllerInput[1];
  uint8_t v = 0;
  if (MasterSystem()) {
    v |= Released(second, PadDown, 0x80) | Released(second, PadUp, 0x40);
    if (m->IoControl & 0x01) {  // TR of controller 1 is an input
      v |= Released(ControllerInput[0], PadButton2, 0x20);
    } else if ((m->IoControl & 0x10) || Japanese()) {
      v |= 0x20;
    }
  } else {
    v |= 0xC0 | Released(own, PadButton2, 0x20);
  }
  v |= Released(own, PadButton1, 0x10) | Released(own, PadRight, 0x08) |
       Released(own, PadLeft, 0x04) | Released(own, PadDown, 0x02) |
       Released(own, PadUp, 0x01);
  return v;
}

uint8_t ControllerPortB(const Machine* m) {
  if (!MasterSystem()) return 0xFF;
  const uint16_t second = ControllerInput[1];
  const uint8_t io = m->IoControl;
  const bool jp = Japanese();
  uint8_t v = Released(ControllerInput[0], PadReset, 0x10) |
              Released(second, PadButton1, 0x04) |
              Released(second, PadRight, 0x02) | Released(second, PadLeft, 0x01);
  if ((io & 0x22) || jp) v |= 0x40;  // TH of controller 1
  if (io & 0x04) {                   // TR of controller 2 is an input
    v |= Released(second, PadButton2, 0x08);
  } else if ((io & 0x40) || jp) {
    v |= 0x08;
  }
  if ((io & 0x88) || jp) v |= 0x80;  // TH of controller 2
  return v;
}

uint8_t GameGearStart(const Machine* m) {
  uint8_t v = (OwnController(m) & PadStart) ? 0x7F : 0xFF;
  if (Japanese()) v &= ~0x40;
  if (MachineOptions & OptNtscRate) v &= ~0x20;
  return v;
}

uint8_t SerialStatus(const Machine* m) {
  const uint8_t control = m->GgSerialControl & 0xF8;
  if (!Linked()) return control | 0x04;
  if (!GameGear()) return 0xFF;
  return control | (m->GgSerialInFull ? 0x02 : 0) | (m->GgSerialBusy ? 0 : 0x01);
}

}  // namespace

void PortOut(Machine* m, uint16_t port, uint8_t value) {
  switch (port & 0xFF) {
    case 0x01:
      if (GameGear()) m->GgParallelData = value & 0x7F;
      break;
    case 0x02:
      if (GameGear() && Linked()) {
        m->GgDataDirection = value;
        Z80Nmi();  // the core holds the machine that wrote
      }
      break;
    case 0x03:
      if (GameGear() && Linked()) m->GgSerialOut = value;
      break;
    case 0x05:
      if (!GameGear()) break;
      m->GgSerialControl = value;
      if (value & 0x10) m->GgDataDirection &= ~0x10;
      if (value & 0x20) m->GgDataDirection |= 0x20;
      m->SerialStep = ComputeSerialStep(m);
      break;
    case 0x06:
      if (GameGear()) PsgWriteStereo(&m->Psg, value);
      break;
    case 0x3F:
      m->IoControl = value;
      break;
    case 0x7E:
    case 0x7F:
      PsgWrite(&m->Psg, value);
      break;
    case 0xBD:
    case 0xBF:
      VdpWriteControl(&m->Vdp, value);
      break;
    case 0xBE:
      VdpWriteData(&m->Vdp, value);
      break;
    case 0xFC:
    case 0xFD:
      if (DebugConsolePortHook) DebugConsolePortHook(uint8_t(port), value);
      break;
    default:
      break;
  }
}

uint8_t PortIn(Machine* m, uint16_t port) {
  switch (port & 0xFF) {
    case 0x00:
      return GameGear() ? GameGearStart(m) : 0xFF;
    case 0x01:
      return GameGear() ? m->GgParallelData : 0xFF;
    case 0x02:
      return GameGear() && Linked() ? m->GgDataDirection : 0xFF;
    case 0x03:
      return GameGear() && Linked() ? m->GgSerialOut : 0xFF;
    case 0x04:
      if (!(GameGear() && Linked())) return 0xFF;
      m->GgSerialInFull = 0;
      return m->GgSerialIn;
    case 0x05:
      return SerialStatus(m);
    case 0x7E:
      return VdpReadVCounter(&m->Vdp);
    case 0x7F:
      return VdpReadHCounter(&m->Vdp);
    case 0xBD:
    case 0xBF:
      return VdpReadStatus(&m->Vdp);
    case 0xBE:
      return VdpReadData(&m->Vdp);
    case 0xC0:
    case 0xDC:
      return ControllerPortA(m);
    case 0xC1:
    case 0xDD:
      return ControllerPortB(m);
    default:
      return 0xFF;
  }
}
