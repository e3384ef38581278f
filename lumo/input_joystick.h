// Joysticks for the input module: up to 8 pads in fixed slots, read into the
// joystick part of the key table. Only lumo/input*.cpp include this.
#pragma once
#include <cstdint>

constexpr int JoystickAxisRange = 1000;     // axes are scaled to -1000..1000
constexpr int JoystickAxisThreshold = 800;  // beyond this a direction counts

// Opens every attached pad (false when the joystick subsystem is missing,
// which leaves the program without pads).
bool JoystickStart();
void JoystickStop();
// A pad was plugged in (SDL device index) or out (SDL instance id). Return
// the slot it takes or leaves, or -1 when none. A pad beyond the eighth gets
// a slot when one comes free and the caller offers it again.
int JoystickDeviceAdded(int device_index);
int JoystickDeviceRemoved(int instance_id);
// Writes the 8 x 32 joystick codes of the key table from the pads' state.
void JoystickRead(uint8_t* key_table);
uint32_t JoystickSlotsInUse();  // bit j for slot j
// An SDL axis value scaled to -1000..1000.
int JoystickScaleAxis(int value);
