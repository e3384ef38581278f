// The movie file format in memory: building a file from the recorded words
// and the start state, and checking one whole before anything is taken
// from it.
#include <cstring>

#include "base/byte_order.h"
#include "record/movie.h"

namespace {

const char Magic[] = "Tavo movie[1]\n";
constexpr size_t MagicSize = sizeof Magic - 1;
constexpr size_t FrameAreaAt = MagicSize + 4;

void Append32(std::vector<uint8_t>* out, uint32_t v) {
  uint8_t bytes[4];
  PutLe32(bytes, v);
  out->insert(out->end(), bytes, bytes + 4);
}

}  // namespace

void BuildMovieFile(const std::vector<uint32_t>& words, const std::vector<uint8_t>& state,
                    std::vector<uint8_t>* file) {
  file->clear();
  file->reserve(FrameAreaAt + 8 * words.size() + state.size());
  file->insert(file->end(), Magic, Magic + MagicSize);
  Append32(file, uint32_t(words.size()));
  for (uint32_t word : words) Append32(file, word);
  // The frame area is twice the records' size; the second half is filler.
  file->insert(file->end(), 4 * words.size(), 0);
  file->insert(file->end(), state.begin(), state.end());
}

bool ParseMovie(const uint8_t* data, size_t size, ParsedMovie* movie) {
  if (size < FrameAreaAt || std::memcmp(data, Magic, MagicSize) != 0) return false;
  const uint64_t count = GetLe32(data + MagicSize);
  if (count * 8 > size - FrameAreaAt) return false;  // the frame area runs past the end
  const uint8_t* bytes = data + FrameAreaAt;
  const size_t words = size_t(count);
  ParsedMovie parsed;
  parsed.words.resize(words);
  for (size_t i = 0; i < words; ++i) parsed.words[i] = GetLe32(bytes + 4 * i);
  // Walk the records the way playback will: two words, then a message when
  // the first one says so, ended by a zero byte inside the records.
  size_t at = 0;
  while (at < words) {
    const uint32_t first = parsed.words[at++];
    ++parsed.frames;
    if (at < words) ++at;
    if (!(first & MovieMessageFlag)) continue;
    const uint8_t* text = bytes + 4 * at;
    const void* end = at < words ? std::memchr(text, 0, 4 * (words - at)) : nullptr;
    if (!end) return false;
    const size_t length = static_cast<const uint8_t*>(end) - text;
    at += (length + 4) / 4;
  }
  parsed.state_at = FrameAreaAt + 8 * words;
  *movie = std::move(parsed);
  return true;
}
