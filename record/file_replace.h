// Whole-file writes: the bytes go to a new temporary file beside the target,
// which is renamed over the target only when everything was written, so a
// failed write never destroys the file that was there.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

bool ReplaceFileWith(const std::string& path, const void* data, size_t size);
// Opens a regular file for reading without ever blocking (a pipe or a
// device under the name is refused); none on failure.
FILE* OpenRegularFile(const std::string& path);
