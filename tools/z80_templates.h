// The instruction texts of the Z80 as the disassembler shows them: one
// template per record of opcodes.dat, in the file's record order, written
// in the disassembler's marker language (operands are filled in when an
// instruction is shown).
#pragma once
#include <string>

constexpr int Z80TemplateCount = 1280;

// Fills records 0-255 (unprefixed), 256-511 ($CB n), 512-767 ($ED n),
// 768-1023 ($DD n / $FD n) and 1024-1279 ($DD $CB d n / $FD $CB d n).
void BuildZ80Templates(std::string (&records)[Z80TemplateCount]);
