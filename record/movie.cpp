// The movie recorder and player: the frame words in memory, the slot's file,
// and the commands of the movie window.
#include "record/movie.h"

#include <sys/stat.h>

#include <cstdio>

#include "base/app_state.h"
#include "base/program_dir.h"
#include "base/safe_file.h"
#include "debugger/debugger_state.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"
#include "machine/ports.h"
#include "record/save_state.h"

uint8_t MovieState = MovieIdle;
uint8_t MovieSlot = 0;

namespace {

// Far beyond any real movie (a day of play is under 100 MB), so a huge file
// under the name is refused rather than read.
constexpr uint64_t MovieFileMax = uint64_t(1) << 30;

struct MovieRecorder {
  std::vector<uint32_t> words;  // the frame records
  size_t position = 0;          // playback: the next word
  long frames = 0;              // records played or recorded
  long length = 0;              // playback: records in the movie
  std::vector<uint8_t> start_state;
  // The recording's file, fixed when it starts: choosing another slot
  // meanwhile must not send it elsewhere.
  std::string path, name;
  std::string pending;  // the message sent in this pass
  bool has_pending = false;
  std::string message;  // the message PlayMovieFrame hands out
};
MovieRecorder M;

void FreeFrames() {
  M.words = std::vector<uint32_t>();
  M.start_state = std::vector<uint8_t>();
  M.position = 0;
  M.frames = M.length = 0;
}

std::string Cut(const char* text) {
  std::string s = text ? text : "";
  if (s.size() > MovieMessageMax) s.resize(MovieMessageMax);
  return s;
}

bool CanRecordOrPlay() { return !CartName.empty() && CanHoldState(); }

void EndOfMovie() {
  ShowMessage("The movie has reached its end.");
  MovieState = MovieIdle;
  FreeFrames();
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* data, bool* too_big) {
  *too_big = false;
  FILE* file = path.empty() ? nullptr : OpenRegularFile(path);
  if (!file) return false;
  struct stat info;
  bool ok = fstat(fileno(file), &info) == 0;
  if (ok && uint64_t(info.st_size) > MovieFileMax) {
    *too_big = true;
  } else if (ok) {
    data->resize(size_t(info.st_size));
    ok = std::fread(data->data(), 1, data->size(), file) == data->size();
  }
  std::fclose(file);
  return ok;
}

}  // namespace

std::string MovieFileName(int slot) {
  if (CartName.empty()) return "";
  return CartName + "." + std::to_string(slot) + ".movie";
}

// --- The recorder on any file -------------------------------------------

bool OpenMovieRecording(const std::string& path) {
  if (!CanRecordOrPlay() || path.empty()) return false;
  std::vector<uint8_t> state, file;
  BuildStateImage(&state);
  // The file starts as an empty movie, so that even a recording that never
  // ends leaves a file that plays.
  BuildMovieFile({}, state, &file);
  if (!ReplaceFileContents(path, file.data(), file.size())) return false;
  FreeFrames();
  M.start_state = std::move(state);
  M.path = path;
  M.has_pending = false;
  MovieState = MovieRecording;
  return true;
}

bool CloseMovieRecording() {
  if (MovieState != MovieRecording) return false;
  MovieState = MovieIdle;
  M.position = 0;
  std::vector<uint8_t> file;
  BuildMovieFile(M.words, M.start_state, &file);
  if (!ReplaceFileContents(M.path, file.data(), file.size())) return false;  // the frames stay in memory
  FreeFrames();
  return true;
}

bool InstallMovieImage(const uint8_t* data, size_t size) {
  ParsedMovie movie;
  bool break_request = false;
  // The state goes in last and checks itself whole first, so a refused file
  // changes nothing at all.
  if (!ParseMovie(data, size, &movie) ||
      !InstallStateImage(data + movie.state_at, size - movie.state_at, &break_request))
    return false;
  FreeFrames();
  M.words = std::move(movie.words);
  M.length = movie.frames;
  MovieState = MoviePlaying;
  if (break_request) EnterBreakState();
  RefreshDebugger();
  return true;
}

MovieLoad OpenMoviePlayback(const std::string& path) {
  std::vector<uint8_t> data;
  bool too_big;
  if (!ReadWholeFile(path, &data, &too_big)) return too_big ? MovieLoad::Invalid : MovieLoad::Missing;
  return InstallMovieImage(data.data(), data.size()) ? MovieLoad::Loaded : MovieLoad::Invalid;
}

long MovieFrameCount() { return MovieState == MoviePlaying ? M.length : M.frames; }
long MovieFramesPlayed() { return MovieState == MoviePlaying ? M.frames : 0; }

// --- Frames --------------------------------------------------------------

void RecordMovieFrame(const char* message) {
  if (MovieState != MovieRecording) return;
  std::string text;
  const bool has_text = message || M.has_pending;
  if (has_text) text = message ? Cut(message) : M.pending;
  // The flag is the file's own: a live word never brings it in by itself.
  uint32_t first = ControllerInput[0] & ~MovieMessageFlag;
  if (has_text) first |= MovieMessageFlag;
  M.words.push_back(first);
  M.words.push_back(ControllerInput[1]);
  ++M.frames;
  if (!has_text) return;
  // The text, its zero byte and zeros up to the next whole word.
  const size_t words = (text.size() + 4) / 4;
  const size_t at = M.words.size();
  M.words.resize(at + words, 0);
  for (size_t i = 0; i < text.size(); ++i) M.words[at + i / 4] |= uint32_t(uint8_t(text[i])) << (8 * (i % 4));
}

const char* PlayMovieFrame() {
  if (MovieState != MoviePlaying) return nullptr;
  const size_t count = M.words.size();
  if (M.position >= count) {  // an empty movie ends at once
    EndOfMovie();
    return nullptr;
  }
  const uint32_t first = M.words[M.position++];
  ControllerInput[0] = uint16_t(first);
  if (M.position < count) ControllerInput[1] = uint16_t(M.words[M.position++]);
  ++M.frames;
  if (M.position >= count) {
    EndOfMovie();
    return nullptr;
  }
  if (!(first & MovieMessageFlag)) return nullptr;
  // The records were checked on loading: the text ends inside them.
  auto byte = [](size_t at) { return char(M.words[M.position + at / 4] >> (8 * (at % 4))); };
  M.message.clear();
  size_t length = 0;
  for (; byte(length); ++length)
    if (length < MovieMessageMax) M.message.push_back(byte(length));
  M.position += (length + 4) / 4;
  if (M.position >= count) EndOfMovie();
  return M.message.c_str();
}

bool SendMovieMessage(const char* text) {
  if (Paused || BreakState) {
    ShowMessage("Can't send movie message while emulation is paused.");
    return false;
  }
  if (MovieState != MovieRecording) {
    ShowMessage("Can't send movie message while no movie is recorded.");
    return false;
  }
  M.pending = Cut(text);
  M.has_pending = true;
  ShowMovieMessage(M.pending.c_str());
  return true;
}

void EndMoviePass() { M.has_pending = false; }

// --- The window's commands ------------------------------------------------

bool StartMovieRecording() {
  if (!CanRecordOrPlay()) {
    ShowMessage("Can't start movie recording.");
    return false;
  }
  if (MovieState == MovieRecording) StopMovieRecording();
  if (MovieState == MoviePlaying) StopMoviePlayback();
  const std::string name = MovieFileName(MovieSlot);
  if (!OpenMovieRecording(WorkingFilePath("Movies", name))) {
    ShowMessage("Can't start movie recording.");
    return false;
  }
  M.name = name;
  ShowMessage("Started movie recording.");
  return true;
}

void StopMovieRecording() {
  if (MovieState != MovieRecording) return;
  if (CartName.empty()) {
    MovieState = MovieIdle;
    M.position = 0;
    AddMessage("Can't save movie.");
    return;
  }
  if (CloseMovieRecording())
    ShowMessage("Successfully saved movie as '%s'.", M.name.c_str());
  else
    ShowMessage("Can't save movie as '%s'.", M.name.c_str());
}

bool StartMoviePlayback() {
  if (!CanRecordOrPlay()) {
    ShowMessage("Can't start movie playing.");
    return false;
  }
  if (MovieState == MovieRecording) StopMovieRecording();
  const std::string name = MovieFileName(MovieSlot);
  switch (OpenMoviePlayback(WorkingFilePath("Movies", name))) {
    case MovieLoad::Missing:
      ShowMessage("Can't load movie '%s'.", name.c_str());
      return false;
    case MovieLoad::Invalid:
      ShowMessage("The movie '%s' has an invalid format.", name.c_str());
      return false;
    case MovieLoad::Loaded:
      break;
  }
  ShowMessage("Playing movie '%s'.", name.c_str());
  return true;
}

void StopMoviePlayback() {
  if (MovieState != MoviePlaying) return;
  ShowMessage("Stopped movie playing.");
  MovieState = MovieIdle;
  FreeFrames();
}

void ResetMovies() {
  MovieState = MovieIdle;
  MovieSlot = 0;
  M = MovieRecorder{};
}
