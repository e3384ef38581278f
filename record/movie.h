// Input movies: both controllers' input recorded frame by frame, with text
// messages on single frames, from a save state taken when recording starts.
// Ten slots per cartridge, "NAME.N.movie" in the "Movies" folder.
//
// File layout, little-endian: "Tavo movie[1]\n"; N, the number of 32-bit
// words of frame records; a frame area of 8 x N bytes (the records, then
// 4 x N filler bytes that are never read); then a complete state file. A
// frame record is controller 1's word (bit $1000: a message follows),
// controller 2's word and, with the flag, the message text (at most 255
// characters and a zero byte, padded with zeros to whole words).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum MovieMode : uint8_t { MovieIdle = 0, MoviePlaying = 1, MovieRecording = 2 };
extern uint8_t MovieState;
extern uint8_t MovieSlot;  // 0-9, the movie window's choice

constexpr uint32_t MovieMessageFlag = 0x1000;
constexpr size_t MovieMessageMax = 255;

// "NAME.N.movie" for the installed cartridge; "" without a cartridge name.
std::string MovieFileName(int slot);

// The movie window's commands, on the slot's file, each reporting its
// outcome. Record saves a recording under way first; Play stops one (saving
// it) and plays the file just saved when it is the same.
bool StartMovieRecording();
bool StartMoviePlayback();
// Only while recording: writes the file, "Successfully saved movie as ...".
// The slot's file is the one chosen when the recording started.
void StopMovieRecording();
// Only while playing: "Stopped movie playing.".
void StopMoviePlayback();

// Called by the main loop before every emulated frame. Recording: the live
// controller words are appended, with the message of this frame (none:
// nullptr, which takes the message sent in this pass, if any). Playing: the
// recorded words replace the live ones; the frame's message is returned
// (nullptr when none) for the caller to show.
void RecordMovieFrame(const char* message);
const char* PlayMovieFrame();

// The window's Send button: while a movie is recorded and the emulation runs,
// shows the text as a movie message and makes it the message of the frames
// recorded in this pass; otherwise says why not. False when refused.
bool SendMovieMessage(const char* text);
// The main loop at the end of every pass: the sent message is spent.
void EndMoviePass();

// The recorder on any file, without messages (the headless runner, tests).
// Opening a recording takes the start state and writes it at once (so a
// file that cannot be created fails here); closing writes the whole movie.
bool OpenMovieRecording(const std::string& path);
bool CloseMovieRecording();
enum class MovieLoad { Loaded, Missing, Invalid };
// Checks the whole file (frame records and the embedded state) before the
// state is installed; a refused file changes nothing.
MovieLoad OpenMoviePlayback(const std::string& path);
// The same on a file's bytes: false (nothing changed) when refused.
bool InstallMovieImage(const uint8_t* data, size_t size);
// Frames of the movie being played (its length), or recorded so far.
long MovieFrameCount();
// Frames played so far.
long MovieFramesPlayed();

// The format in memory. ParseMovie checks every record and hands back the
// frame words and where the state section starts; false for anything the
// recorder would not have written.
void BuildMovieFile(const std::vector<uint32_t>& words, const std::vector<uint8_t>& state,
                    std::vector<uint8_t>* file);
struct ParsedMovie {
  std::vector<uint32_t> words;
  long frames = 0;
  size_t state_at = 0;  // offset of the state section in the file
};
bool ParseMovie(const uint8_t* data, size_t size, ParsedMovie* movie);

// Back to idle with nothing loaded, slot 0 (tests, shutdown).
void ResetMovies();
