// Replays the cartridge fuzz corpus with the loader built under AddressSanitizer
// and UndefinedBehaviorSanitizer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/fuzz/cartridge_fuzz_input.h"

TEST(CartridgeCorpus, EveryInputLoadsOrFailsCleanly) {
  std::filesystem::path corpus = TAVO_SOURCE_DIR "/tests/fuzz/corpus/cartridge";
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    SCOPED_TRACE(entry.path().string());
    std::ifstream in(entry.path(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RunCartridgeFuzzInput(bytes.data(), bytes.size());
    ++inputs;
  }
  EXPECT_GT(inputs, 5);
  DestroyConsoles();
}
