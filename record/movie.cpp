#include "record/movie.h"

// The movie recorder is not built yet: it stays idle.
uint8_t MovieState = MovieIdle;

void RecordMovieFrame(const char*) {}
const char* PlayMovieFrame() { return nullptr; }
void StopMovieRecording() {}
void StopMoviePlayback() {}
