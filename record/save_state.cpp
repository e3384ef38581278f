// The save and load commands, the slot's file and the format on open files.
#include "record/save_state.h"

#include "base/program_dir.h"
#include "base/safe_file.h"
#include "debugger/debugger_state.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"

uint8_t StateSlot = 0;

void ResetSaveStates() { StateSlot = 0; }

std::string StateFileName(int slot) {
  if (CartName.empty()) return "";
  return CartName + ".st" + std::to_string(slot);
}

bool WriteStateFile(const std::string& path) {
  if (!CanHoldState()) return false;
  std::vector<uint8_t> image;
  BuildStateImage(&image);
  return ReplaceFileContents(path, image.data(), image.size());
}

bool InstallStateFile(FILE* file, bool* break_request) {
  if (!file) return false;
  // The whole file is read first: one byte more than any state can hold
  // tells an oversized file.
  std::vector<uint8_t> data(LinkedStateFileSize + 1);
  const size_t size = std::fread(data.data(), 1, data.size(), file);
  return !std::ferror(file) && InstallStateImage(data.data(), size, break_request);
}

bool ReadStateStream(FILE* file, const char* name, bool report) {
  bool break_request = false;
  const bool ok = InstallStateFile(file, &break_request);
  if (report) ShowMessage(ok ? "Successfully loaded state '%s'." : "Couldn't load state '%s'.", name);
  if (!ok) return false;
  if (break_request) EnterBreakState();
  RefreshDebugger();
  return true;
}

bool SaveState(bool report) {
  const std::string name = StateFileName(StateSlot);
  if (name.empty()) return false;
  const bool ok = WriteStateFile(WorkingFilePath("States", name));
  if (report) ShowMessage(ok ? "Saved state as '%s'." : "Couldn't save state as '%s'.", name.c_str());
  return ok;
}

bool LoadState(bool report) {
  const std::string name = StateFileName(StateSlot);
  if (name.empty()) return false;
  const std::string path = WorkingFilePath("States", name);
  FILE* file = path.empty() ? nullptr : OpenRegularFile(path);
  const bool ok = ReadStateStream(file, name.c_str(), report);
  if (file) std::fclose(file);
  return ok;
}
