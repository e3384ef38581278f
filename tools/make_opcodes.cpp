// Writes opcodes.dat, the instruction texts the debugger's disassembler
// reads at start-up: 19,200 bytes of leading blocks the program skips
// (zeros here), then the 1,280 templates of 64 bytes, each a NUL-terminated
// text padded with zeros.
//
//   make_opcodes OUTPUT
#include <cstdio>
#include <string>
#include <vector>

#include "tools/z80_templates.h"

namespace {

constexpr size_t LeadingBytes = 19200;
constexpr size_t RecordBytes = 64;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  static std::string records[Z80TemplateCount];
  BuildZ80Templates(records);
  std::vector<unsigned char> file(LeadingBytes + Z80TemplateCount * RecordBytes, 0);
  for (int i = 0; i < Z80TemplateCount; ++i) {
    if (records[i].size() >= RecordBytes) {
      std::fprintf(stderr, "record %d is too long: %s\n", i, records[i].c_str());
      return 1;
    }
    records[i].copy(reinterpret_cast<char*>(&file[LeadingBytes + i * RecordBytes]), RecordBytes - 1);
  }
  // Written beside the target and renamed, so a build never leaves half a file.
  const std::string temporary = std::string(argv[1]) + ".tmp";
  FILE* out = std::fopen(temporary.c_str(), "wb");
  bool ok = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
  if (out) ok = std::fclose(out) == 0 && ok;
  if (ok) ok = std::rename(temporary.c_str(), argv[1]) == 0;
  if (!ok) {
    std::remove(temporary.c_str());
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
