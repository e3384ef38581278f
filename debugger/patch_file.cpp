#include "debugger/patch_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/program_dir.h"
#include "base/safe_file.h"
#include "base/tokenizer.h"
#include "config/config.h"
#include "debugger/debug_lists.h"
#include "debugger/number_syntax.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"

namespace {

// Longest name or text written: the line must stay within what the reader
// takes in one line.
constexpr size_t MaxWrittenName = 200;

// The status line alone, without the Messages window.
void ShowNotice(const char* text) {
  std::snprintf(StatusText, sizeof StatusText, "%s", text);
  StatusCounter = StatusPasses;
}

// The cartridge's file name with an extension appended, never a path.
std::string CartFileName(const char* extension) {
  const std::string base = CartFileBase();
  if (base.empty()) return {};
  return base + extension;
}

void PatchByte(uint32_t pointer, uint8_t value) {
  if (!CartImage || CartSize == 0) return;
  const uint32_t offset = pointer % CartSize;
  CartImage[offset] = value;
  // The image repeats its first 3 bytes behind its end.
  if (offset < 3) CartImage[CartSize + offset] = value;
}

std::vector<std::string> LineTokens(int count) {
  std::vector<std::string> tokens;
  tokens.reserve(count);
  while (const char* token = NextToken()) tokens.emplace_back(token);
  return tokens;
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// "number , text" after the keyword: exactly four tokens.
bool NumberAndText(const std::vector<std::string>& t, uint32_t* number) {
  return t.size() == 4 && t[2] == "," && ParseNumber(t[1].c_str(), number);
}

// WB / WW / WD: value { "," value }, each written as it is read.
bool WriteValues(const std::vector<std::string>& t, int width, uint32_t* pointer) {
  for (size_t i = 1;; i += 2) {
    uint32_t value;
    if (i >= t.size() || !ParseNumber(t[i].c_str(), &value)) return false;
    for (int b = 0; b < width; ++b) PatchByte(*pointer + b, static_cast<uint8_t>(value >> (8 * b)));
    *pointer += width;
    if (i + 1 == t.size()) return true;
    if (t[i + 1] != ",") return false;
  }
}

// One line of a patch file; false for a syntax error.
bool PatchLine(const std::vector<std::string>& t, uint32_t* pointer) {
  const std::string keyword = Upper(t[0]);
  uint32_t number;
  if (keyword == "VARB" || keyword == "VARW" || keyword == "VARD") {
    if (!NumberAndText(t, &number) || t[3].empty()) return false;
    const uint8_t kind = keyword == "VARB" ? VarByte : keyword == "VARW" ? VarWord : VarDword;
    AddVariable(static_cast<uint16_t>(number), kind, t[3]);
  } else if (keyword == "LABEL") {
    if (!NumberAndText(t, &number) || t[3].empty()) return false;
    AddLabel(number, t[3]);
  } else if (keyword == "COMMENT") {
    if (!NumberAndText(t, &number)) return false;
    AddComment(number, t[3]);
  } else if (keyword == "BP" || keyword == "ADDR") {
    if (t.size() != 2 || !ParseNumber(t[1].c_str(), &number)) return false;
    if (keyword == "BP")
      AddBreakpoint(number);
    else
      *pointer = number;
  } else if (keyword == "WB" || keyword == "WW" || keyword == "WD") {
    return WriteValues(t, keyword == "WB" ? 1 : keyword == "WW" ? 2 : 4, pointer);
  } else {
    return false;
  }
  return true;
}

// A name as written between double quotes: there is no escape, so a quote
// becomes an apostrophe and a control character a blank, and a very long
// name is cut, so that every entry reads back.
std::string Quotable(const std::string& name) {
  std::string text = name.substr(0, MaxWrittenName);
  for (char& c : text) {
    if (c == '"') c = '\'';
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return text;
}

// Copies the file whole; false unless every byte arrived.
bool CopyWhole(const std::string& from, const std::string& to) {
  FILE* in = OpenRegularFile(from);
  if (!in) return false;
  std::string bytes;
  const bool read_ok = ReadRest(in, &bytes);
  std::fclose(in);
  return read_ok && ReplaceFileContents(to, bytes);
}

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

}  // namespace

bool ReadPatchFile(const char* path, bool replace, bool* had_errors) {
  *had_errors = false;
  if (!OpenTokenFile(path)) return false;
  if (replace) ResetDebugLists();
  uint32_t pointer = 0;
  for (int line = 1;; ++line) {
    const int count = NextLine();
    if (count == TokenEndOfFile) break;
    if (count == TokenUnclosedQuote) {
      char text[48];
      std::snprintf(text, sizeof text, "Line %d: Syntax error\n", line);
      AddMessage(text);
      ShowNotice("The patch has at least one error (see messages).");
      *had_errors = true;
    } else if (count > 0 && !PatchLine(LineTokens(count), &pointer)) {
      char text[48];
      std::snprintf(text, sizeof text, "Line %d: Syntax error", line);
      AddMessage(text);
      *had_errors = true;
    }
  }
  CloseTokenFile();
  return true;
}

bool WritePatchFile(const char* path) {
  FILE* file = CreateTemporaryFile(path);
  if (!file) return false;
  bool ok = true;
  static const char* const VariableWords[4] = {"", "VarB", "VarW", "VarD"};
  for (int i = 0; i < VariableCount(); ++i) {
    const Variable* v = VariableEntry(i);
    ok = ok && std::fprintf(file, "%s $%X, \"%s\"\n", VariableWords[v->kind], v->address,
                            Quotable(v->name).c_str()) > 0;
  }
  for (int i = 0; i < BreakpointCount(); ++i) ok = ok && std::fprintf(file, "BP $%X\n", BreakpointEntry(i)->address) > 0;
  for (int i = 0; i < LabelCount(); ++i) {
    const Label* l = LabelEntry(i);
    ok = ok && std::fprintf(file, "LABEL $%X, \"%s\"\n", l->address, Quotable(l->name).c_str()) > 0;
  }
  for (int i = 0; i < CommentCount(); ++i) {
    const Comment* c = CommentEntry(i);
    ok = ok && std::fprintf(file, "COMMENT $%X, \"%s\"\n", c->address, Quotable(c->text).c_str()) > 0;
  }
  return FinishTemporaryFile(file, path, ok);
}

bool ReadSymbolFile(const char* path) {
  if (!OpenTokenFile(path)) return false;
  while (true) {
    const int count = NextLine();
    if (count == TokenEndOfFile) break;
    if (count != 4) continue;
    const std::vector<std::string> t = LineTokens(count);
    uint32_t bank, offset;
    if (t[1] != ":" || !ParseHexDigits(t[0].c_str(), &bank) || !ParseHexDigits(t[2].c_str(), &offset) ||
        t[3].empty())
      continue;
    AddLabel(SymbolAbsoluteAddress(bank, offset), t[3]);
  }
  CloseTokenFile();
  return true;
}

uint32_t SymbolAbsoluteAddress(uint32_t bank, uint32_t offset) {
  offset &= 0xFFFF;
  if (offset < 0x0400) return offset;
  if (offset < 0xC000) return bank * 0x4000 + (offset & 0x3FFF);
  return (offset & 0x1FFF) | 0xC000;
}

bool LoadPatch(bool replace) {
  const std::string name = CartFileName(".pat");
  if (CartName.empty()) return false;
  const std::string path = WorkingFilePath("Patches", name);
  bool had_errors = false;
  if (name.empty() || path.empty() || !ReadPatchFile(path.c_str(), replace, &had_errors)) {
    ShowMessage("Couldn't load patch '%s'.", name.c_str());
    return false;
  }
  ShowMessage("Successfully %s patch '%s'%s", replace ? "loaded" : "added", name.c_str(),
              had_errors ? ", but it had at least one syntax error." : ".");
  return true;
}

bool SavePatch() {
  const std::string name = CartFileName(".pat");
  if (CartName.empty()) return false;
  const std::string path = WorkingFilePath("Patches", name);
  bool ok = !name.empty() && !path.empty();
  // The previous patch survives as tavo.tmp: saving drops its ADDR and W*
  // lines, which the lists do not hold.
  if (ok && Exists(path)) ok = CopyWhole(path, ProgramDirectory + "/tavo.tmp");
  ok = ok && WritePatchFile(path.c_str());
  if (!ok) {
    ShowMessage("Couldn't save patch '%s'.", name.c_str());
    return false;
  }
  ShowMessage("Successfully saved patch '%s'.\n", name.c_str());
  return true;
}

bool LoadSymbolFile() {
  const std::string name = CartFileName(".sym");
  if (CartName.empty()) return false;
  const std::string folder = !Config.rom_directory.empty() ? Config.rom_directory : ProgramDirectory;
  if (name.empty() || folder.empty() || !ReadSymbolFile((folder + "/" + name).c_str())) {
    ShowMessage("Couldn't load NO$GMB symbol file '%s'.", name.c_str());
    return false;
  }
  ShowMessage("Successfully loaded patch '%s'.\n", name.c_str());
  return true;
}
