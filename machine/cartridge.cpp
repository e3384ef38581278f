#include "machine/cartridge.h"

#include <sys/stat.h>
#include <unzip.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "machine/cart_ram.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"

uint8_t* CartImage = nullptr;
uint32_t CartSize = 0;
uint32_t CartBanks = 0;
std::string CartName;
int ConsoleKind = 1;
uint8_t* ChrImage = nullptr;
uint32_t ChrSize = 0;
uint32_t ChrBanks = 0;
int NesMapper = 0;
uint8_t NesFlags = 0;
bool CartUnloaded = true;
uint8_t* CartRamBuffers[2] = {nullptr, nullptr};

namespace {

constexpr uint32_t BankSize = 0x4000;
constexpr uint32_t ChrBankSize = 0x2000;
constexpr uint32_t CopierHeaderSize = 512;
constexpr uint32_t NesHeaderSize = 16;
constexpr uint32_t NesTrainerSize = 512;
constexpr uint32_t MirrorBytes = 3;  // the image's first bytes repeated behind it

struct FreeDeleter {
  void operator()(uint8_t* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<uint8_t, FreeDeleter>;

void FreeImages() {
  std::free(CartImage);
  std::free(ChrImage);
  CartImage = nullptr;
  ChrImage = nullptr;
  CartSize = CartBanks = ChrSize = ChrBanks = 0;
}

// The empty cartridge of start-up (and the fallback when memory runs out):
// 16 KB of zeros and one blank 8 KB character bank.
bool InstallEmptyImage() {
  FreeImages();
  CartImage = static_cast<uint8_t*>(std::calloc(BankSize + MirrorBytes, 1));
  ChrImage = static_cast<uint8_t*>(std::calloc(ChrBankSize, 1));
  if (!CartImage || !ChrImage) {
    FreeImages();
    return false;
  }
  CartSize = BankSize;
  CartBanks = 1;
  ChrSize = ChrBankSize;
  ChrBanks = 1;
  return true;
}

}  // namespace

bool EndsWithNoCase(const char* name, const char* ending) {
  size_t n = std::strlen(name), e = std::strlen(ending);
  if (e > n) return false;
  for (size_t i = 0; i < e; ++i)
    if (std::toupper(static_cast<unsigned char>(name[n - e + i])) != ending[i]) return false;
  return true;
}

namespace {

uint32_t RoundUpToPowerOfTwo(uint32_t value) {
  uint32_t p = 1;
  while (p < value) p <<= 1;
  return p;
}

// Copies `wanted` bytes from offset `from` of the file bytes into `dest`,
// zero-filling whatever the file does not hold (a truncated NES file).
void CopyAvailable(uint8_t* dest, uint32_t wanted, const uint8_t* bytes, uint32_t length, uint64_t from) {
  uint64_t available = from < length ? length - from : 0;
  uint32_t n = static_cast<uint32_t>(available < wanted ? available : wanted);
  if (n) std::memcpy(dest, bytes + from, n);
  std::memset(dest + n, 0, wanted - n);
}

// CartImage of `size` bytes plus the mirror bytes, from the file bytes at
// offset `from`.
bool InstallCartImage(uint32_t size, const uint8_t* bytes, uint32_t length, uint64_t from) {
  uint8_t* image = static_cast<uint8_t*>(std::malloc(size_t{size} + MirrorBytes));
  if (!image) return false;
  CopyAvailable(image, size, bytes, length, from);
  for (uint32_t i = 0; i < MirrorBytes; ++i) image[size + i] = i < size ? image[i] : 0;
  std::free(CartImage);
  CartImage = image;
  CartSize = size;
  return true;
}

bool InstallNesImage(uint32_t length, const uint8_t* bytes) {
  uint8_t header[NesHeaderSize] = {};
  std::memcpy(header, bytes, length < NesHeaderSize ? length : NesHeaderSize);
  uint8_t prg_banks = header[4], chr_banks = header[5], flags = header[6];
  int mapper = (header[7] & 0xF0) | (flags >> 4);

  ShowConsoleMessage("NES header:");
  ShowConsoleMessage("16k PRG banks: %d", prg_banks);
  ShowConsoleMessage(" 8k CHR banks: %d", chr_banks);
  ShowConsoleMessage("       Mapper: %d", mapper);
  if (flags & 0x02) ShowConsoleMessage("SRAM enabled");
  if (flags & 0x04) ShowConsoleMessage("Trainer present");
  ShowConsoleMessage(flags & 0x01 ? "Vertical mirroring" : "Horizontal mirroring");
  if (flags & 0x08) ShowConsoleMessage("Four screen mirroring");
  ShowConsoleMessage("%s", "");

  uint64_t prg_offset = NesHeaderSize + ((flags & 0x04) ? NesTrainerSize : 0);
  uint32_t prg_size = prg_banks * BankSize;
  uint8_t* chr = nullptr;
  uint32_t chr_bank_count = 0;
  if (chr_banks) {
    chr_bank_count = RoundUpToPowerOfTwo(chr_banks);
    chr = static_cast<uint8_t*>(std::calloc(size_t{chr_bank_count} * ChrBankSize, 1));
    if (!chr) return false;
    CopyAvailable(chr, chr_banks * ChrBankSize, bytes, length, prg_offset + prg_size);
  }
  if (!InstallCartImage(prg_size, bytes, length, prg_offset)) {
    std::free(chr);
    return false;
  }
  CartBanks = prg_banks;
  std::free(ChrImage);
  ChrImage = chr;
  ChrBanks = chr_bank_count;
  ChrSize = chr_banks * ChrBankSize;
  NesMapper = mapper;
  NesFlags = flags;
  ConsoleKind = 2;
  return true;
}

bool InstallOtherImage(uint32_t length, const uint8_t* bytes, const char* name) {
  uint32_t size;
  int kind;
  if (EndsWithNoCase(name, ".GBA")) {
    kind = 3;
    size = RoundUpToPowerOfTwo(length);
  } else {
    kind = 1;
    if (length % BankSize == CopierHeaderSize && length > CopierHeaderSize) {
      bytes += CopierHeaderSize;
      length -= CopierHeaderSize;
    }
    size = (length + BankSize - 1) / BankSize * BankSize;
  }
  if (!InstallCartImage(size, bytes, length, 0)) return false;
  std::free(ChrImage);
  ChrImage = nullptr;
  ChrSize = ChrBanks = 0;
  CartBanks = (CartSize + BankSize - 1) / BankSize;
  ConsoleKind = kind;
  if (kind == 1) {
    uint32_t group = EndsWithNoCase(name, ".SMS") ? OptMasterSystemGroup : OptGameGearGroup;
    MachineOptions = (MachineOptions & ~OptSystemGroup) | group;
  }
  return true;
}

enum class ReadResult { NotZip, Failed, Empty, Read };

// Reads the first member with an image extension and a size. A zip without
// one, a member too small or too large, a short read or a bad CRC fail.
ReadResult ReadZipImage(const char* path, Buffer* out, uint32_t* length, std::string* name) {
  unzFile zip = unzOpen(path);
  if (!zip) return ReadResult::NotZip;
  ReadResult result = ReadResult::Failed;
  for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
    char member[1025];
    unz_file_info info;
    if (unzGetCurrentFileInfo(zip, &info, member, sizeof member, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    member[sizeof member - 1] = 0;
    if (info.uncompressed_size == 0 || !HasImageExtension(member)) continue;
    if (info.uncompressed_size <= MaxUselessImageSize || info.uncompressed_size > MaxImageFileSize) break;
    uint32_t size = static_cast<uint32_t>(info.uncompressed_size);
    Buffer bytes(static_cast<uint8_t*>(std::malloc(size)));
    if (!bytes || unzOpenCurrentFile(zip) != UNZ_OK) break;
    uint32_t got = 0;
    while (got < size) {
      int n = unzReadCurrentFile(zip, bytes.get() + got, size - got);
      if (n <= 0) break;
      got += static_cast<uint32_t>(n);
    }
    // Closing checks the CRC once the whole member has been read.
    bool whole = got == size && unzCloseCurrentFile(zip) == UNZ_OK;
    if (got != size) unzCloseCurrentFile(zip);
    if (whole) {
      *out = std::move(bytes);
      *length = size;
      *name = member;
      result = ReadResult::Read;
    }
    break;
  }
  unzClose(zip);
  return result;
}

ReadResult ReadPlainImage(const char* path, Buffer* out, uint32_t* length) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return ReadResult::Failed;
  ReadResult result = ReadResult::Failed;
  struct stat info;
  if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode)) {
    uint64_t size = static_cast<uint64_t>(info.st_size);
    if (size == 0) {
      result = ReadResult::Empty;
    } else if (size > MaxUselessImageSize && size <= MaxImageFileSize) {
      Buffer bytes(static_cast<uint8_t*>(std::malloc(size)));
      if (bytes && std::fread(bytes.get(), 1, size, file) == size) {
        *out = std::move(bytes);
        *length = static_cast<uint32_t>(size);
        result = ReadResult::Read;
      }
    }
  }
  std::fclose(file);
  return result;
}

}  // namespace

std::string FileNamePart(const char* name) {
  const char* base = name;
  for (const char* p = name; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

std::string CartFileBase() {
  std::string base = FileNamePart(CartName.c_str());
  if (base == "." || base == "..") return {};
  return base;
}

bool HasImageExtension(const char* name) {
  const char* dot = std::strrchr(name, '.');
  if (!dot) return false;
  for (const char* known : {".GG", ".SMS", ".NES", ".GBA"}) {
    size_t i = 0;
    while (known[i] && std::toupper(static_cast<unsigned char>(dot[i])) == known[i]) ++i;
    if (!known[i]) return true;
  }
  return false;
}

void InstallImage(uint32_t length, const uint8_t* bytes, const char* name) {
  // Tiny images hold no program; oversized ones are refused like their files.
  if (length > MaxUselessImageSize && length <= MaxImageFileSize) {
    bool nes = std::memcmp(bytes, "NES\x1A", 4) == 0;
    bool installed = nes ? InstallNesImage(length, bytes) : InstallOtherImage(length, bytes, name);
    // Out of memory: never leave the machine without an image to run.
    if (!installed && !CartImage) InstallEmptyImage();
  }
  CartName = FileNamePart(name);
  SetupConsoleTiming();
}

void UnloadCartridge() {
  if (CartUnloaded) return;
  SaveCartRam();
  FreeImages();
  CartUnloaded = true;
}

bool LoadCartridge(const char* path) {
  // Only regular files: a folder, a device or a pipe fails here, before a
  // reader could block on it or misread it.
  struct stat info;
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return false;

  Buffer bytes;
  uint32_t length = 0;
  std::string name = path;
  ReadResult result = ReadZipImage(path, &bytes, &length, &name);
  if (result == ReadResult::NotZip) {
    // A damaged archive is not a cartridge image in disguise.
    if (EndsWithNoCase(path, ".ZIP")) return false;
    result = ReadPlainImage(path, &bytes, &length);
  }
  if (result == ReadResult::Failed) return false;
  // An empty file counts as loaded but keeps the running cartridge and its
  // RAM exactly as they are.
  if (result == ReadResult::Empty) return true;

  UnloadCartridge();
  InstallImage(length, bytes.get(), name.c_str());
  LoadCartRam();
  CartUnloaded = false;
  return true;
}

bool CreateCartridgeBuffers() {
  for (int i = 0; i < 2; ++i) {
    if (!CartRamBuffers[i]) CartRamBuffers[i] = static_cast<uint8_t*>(std::calloc(CartRamSize, 1));
    if (!CartRamBuffers[i]) return false;
  }
  PrimaryMachine.CartRam = CartRamBuffers[0];
  PartnerMachine.CartRam = CartRamBuffers[1];
  if (!InstallEmptyImage()) return false;
  CartName.clear();
  ConsoleKind = 1;
  NesMapper = 0;
  NesFlags = 0;
  CartUnloaded = true;  // the empty image has no RAM file to save
  return true;
}

void DestroyCartridgeBuffers() {
  UnloadCartridge();
  FreeImages();
  for (uint8_t*& buffer : CartRamBuffers) {
    std::free(buffer);
    buffer = nullptr;
  }
  PrimaryMachine.CartRam = nullptr;
  PartnerMachine.CartRam = nullptr;
  CartName.clear();
  CartUnloaded = true;
}
