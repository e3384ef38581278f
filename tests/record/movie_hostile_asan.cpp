// Movie files from anywhere, under AddressSanitizer and
// UndefinedBehaviorSanitizer: the fuzz corpus, then a good movie with its
// counter, records and messages mutated and cut short. A file that is taken
// is played to its end.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

#include "scratch_folder.h"
#include "tests/fuzz/movie_fuzz_input.h"

namespace {

const std::filesystem::path Corpus = TAVO_SOURCE_DIR "/tests/fuzz/corpus/movie";

TEST(MovieCorpus, EveryInputPlaysOrIsRefusedCleanly) {
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Corpus)) {
    SCOPED_TRACE(entry.path().string());
    std::vector<uint8_t> bytes = ReadFile(entry.path());
    RunMovieFuzzInput(bytes.data(), bytes.size());
    ++inputs;
  }
  EXPECT_GE(inputs, 3);
}

TEST(MovieCorpus, MutatedAndCutMoviesPlayOrAreRefusedCleanly) {
  const std::vector<uint8_t> good = ReadFile(Corpus / "messages");
  ASSERT_GT(good.size(), LinkedStateFileSize);
  RunMovieFuzzInput(nullptr, 0);  // the machine is set up
  ASSERT_TRUE(InstallMovieImage(good.data(), good.size()));
  ResetMovies();
  const size_t state_at = good.size() - LinkedStateFileSize;
  std::mt19937 random(4321);
  for (int round = 0; round < 400; ++round) {
    std::vector<uint8_t> bytes = good;
    const int changes = 1 + int(random() % 4);
    for (int i = 0; i < changes; ++i) {
      // Mostly the counter and the records; now and then the state's head.
      const size_t span = random() % 8 ? state_at : state_at + 64;
      const size_t at = 14 + random() % (span - 14);
      bytes[at] = uint8_t(random() % 3 == 0 ? bytes[at] ^ (1u << (random() % 8)) : random());
    }
    if (round % 10 == 0) bytes.resize(random() % bytes.size());
    RunMovieFuzzInput(bytes.data(), bytes.size());
  }
  for (size_t cut : {size_t(13), size_t(17), size_t(18), state_at - 1, state_at, good.size() - 1})
    RunMovieFuzzInput(good.data(), cut);
  DestroyConsoles();
}

}  // namespace
