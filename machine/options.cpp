#include "machine/options.h"

uint32_t MachineOptions = OptInitial;
