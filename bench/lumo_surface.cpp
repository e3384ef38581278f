// Per-frame surface work of the presenter (RGB565 picture onto a 32-bit
// display, stretched) and the PNG writer and reader on a screenshot.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "lumo/png.h"
#include "lumo/surface.h"

namespace {

Surface* Picture() {
  Surface* s = CreateSurface(256, 192, 16, 0);
  uint8_t* p = LockSurface(s, LockWriteOnly);
  for (int y = 0; y < 192; y++)
    for (int x = 0; x < 256; x++) WritePixel(p + y * s->pitch + x * 2, 2, (x * 37) ^ (y * 91));
  UnlockSurface(s);
  return s;
}

void BM_CopyRgb565To32(benchmark::State& state) {
  Surface* src = Picture();
  Surface* dst = CreateSurface(256, 192, 32, 0);
  for (auto _ : state) CopySurface(dst, 0, 0, src, {0, 0, 256, 192});
  state.SetItemsProcessed(state.iterations() * 256 * 192);
  ResetSurfaces();
}
BENCHMARK(BM_CopyRgb565To32);

void BM_StretchTo768x576(benchmark::State& state) {
  Surface* src = Picture();
  Surface* dst = CreateSurface(1024, 768, 32, SurfaceDisplayMemory);
  for (auto _ : state) StretchSurface(dst, {128, 96, 768, 576}, src, {0, 0, 256, 192});
  state.SetItemsProcessed(state.iterations() * 768 * 576);
  ResetSurfaces();
}
BENCHMARK(BM_StretchTo768x576);

void BM_SaveAndLoadPng(benchmark::State& state) {
  Surface* src = Picture();
  std::string path = "/tmp/bench_lumo_" + std::to_string(getpid()) + ".png";
  for (auto _ : state) {
    SavePng(path.c_str(), src);
    DestroySurface(LoadPng(path.c_str(), &src->format, 0));
  }
  remove(path.c_str());
  ResetSurfaces();
}
BENCHMARK(BM_SaveAndLoadPng)->Unit(benchmark::kMillisecond);

}  // namespace
