// The program's windows: title and client size of each WindowId, for the
// application to open them with.
#pragma once

struct WindowSpec {
  const char* title;  // "" for none
  int client_width;   // 0: depends on the content (emulator screen, tilemap)
  int client_height;
};

// Indexed by WindowId (config/config.h); the two file requesters take
// their title from the requester.
extern const WindowSpec WindowSpecs[28];
