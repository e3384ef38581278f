// What recording costs per frame: the picture conversion, the encoder if
// any, and the write of picture and sound into the AVI, on the demo
// cartridge's moving picture. The emulated frame in between is not timed.
// Items are frames; the file is restarted every 600 frames (not timed) so
// that the uncompressed one stays small.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/options.h"
#include "record/video_recorder.h"

namespace {

void Record(benchmark::State& state, uint32_t code) {
  const VideoCodec* codec = FindVideoCodec(code);
  if (!codec) {
    state.SkipWithError("this FFmpeg lacks the codec");
    return;
  }
  char folder[] = "/tmp/tavo_bench_avi_XXXXXX";
  if (!mkdtemp(folder) || !CreateConsoles() || !LoadCartridge(TAVO_ROM_DIR "/demo.sms")) {
    state.SkipWithError("no scratch folder or demo cartridge");
    return;
  }
  HardResetConsole();
  std::string path = std::string(folder) + "/bench.avi";
  VideoRecordOptions options;
  options.codec = code;
  std::vector<uint8_t> sound(SamplesPerFrame * 4u);
  int frames = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (frames++ % 600 == 0) {
      CloseVideoRecording();
      if (!OpenVideoRecording(path.c_str(), options)) {
        state.SkipWithError("couldn't open the file");
        break;
      }
    }
    RunConsoleFrame(true, true);
    ReadSoundSamples(sound.data(), uint32_t(sound.size()));
    state.ResumeTiming();
    CaptureVideoFrame(sound.data(), uint32_t(sound.size()));
  }
  CloseVideoRecording();
  state.SetItemsProcessed(state.iterations());
  DestroyConsoles();
  unlink(path.c_str());
  rmdir(folder);
}

void BM_AviUncompressed(benchmark::State& state) { Record(state, UncompressedCode); }
void BM_AviZmbv(benchmark::State& state) { Record(state, FourCc('Z', 'M', 'B', 'V')); }
void BM_AviFfv1(benchmark::State& state) { Record(state, FourCc('F', 'F', 'V', '1')); }
void BM_AviMjpeg(benchmark::State& state) { Record(state, FourCc('M', 'J', 'P', 'G')); }

BENCHMARK(BM_AviUncompressed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AviZmbv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AviFfv1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AviMjpeg)->Unit(benchmark::kMicrosecond);

}  // namespace
