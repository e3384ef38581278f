// State files from anywhere, under AddressSanitizer and
// UndefinedBehaviorSanitizer: the fuzz corpus, then mutations of a good
// linked state in its headers, fields and block counters, and cuts at every
// section boundary. A file that is taken is run for a frame.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

#include "scratch_folder.h"
#include "tests/fuzz/state_fuzz_input.h"

namespace {

const std::filesystem::path Corpus = TAVO_SOURCE_DIR "/tests/fuzz/corpus/state";

TEST(StateCorpus, EveryInputLoadsOrIsRefusedCleanly) {
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Corpus)) {
    SCOPED_TRACE(entry.path().string());
    std::vector<uint8_t> bytes = ReadFile(entry.path());
    RunStateFuzzInput(bytes.data(), bytes.size());
    ++inputs;
  }
  EXPECT_GE(inputs, 5);
}

TEST(StateCorpus, MutatedAndCutStatesLoadOrAreRefusedCleanly) {
  const std::vector<uint8_t> good = ReadFile(Corpus / "linked");
  ASSERT_EQ(good.size(), LinkedStateFileSize);
  RunStateFuzzInput(nullptr, 0);  // the machine is set up
  bool break_request;
  ASSERT_TRUE(InstallStateImage(good.data(), good.size(), &break_request));

  // Where the values that matter sit: header lines, the fixed fields and
  // reserved bytes, the VDP's counters, the PSG block, the console's tail.
  const size_t partner = 20 + MachineStateBlockSize + 10;
  std::vector<std::pair<size_t, size_t>> ranges = {{0, 24}, {partner - 10, partner + 4}};
  for (size_t block : {size_t(20), partner}) {
    ranges.push_back({block + 40964, block + 41262});
    ranges.push_back({block + 41262 + 16384, block + 41262 + 16484});
    ranges.push_back({block + 58002, block + 58276});
  }
  ranges.push_back({good.size() - 4030, good.size()});
  std::mt19937 random(1234);
  for (int round = 0; round < 600; ++round) {
    std::vector<uint8_t> bytes = good;
    const auto& range = ranges[random() % ranges.size()];
    const int changes = 1 + int(random() % 4);
    for (int i = 0; i < changes; ++i) {
      size_t at = range.first + random() % (range.second - range.first);
      bytes[at] = uint8_t(random() % 3 == 0 ? bytes[at] ^ (1u << (random() % 8)) : random());
    }
    if (round % 10 == 0) bytes.resize(random() % bytes.size());
    RunStateFuzzInput(bytes.data(), bytes.size());
  }
  for (size_t cut : {size_t(10), size_t(19), size_t(20), partner - 1, partner, good.size() - 4025, good.size() - 1})
    RunStateFuzzInput(good.data(), cut);
  DestroyConsoles();
}

}  // namespace
