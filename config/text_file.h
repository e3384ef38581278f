// Building and writing the program's text files. A file is written so that
// a failure never destroys what was there: the contents go to a temporary
// file beside the target, are flushed to the disk, and only then take the
// target's name.
#pragma once
#include <cstddef>
#include <string>

// printf-style text appended to out.
void AppendFormat(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Replaces (or creates) path with the contents. False when anything fails;
// the old file is then untouched and no temporary file is left behind.
bool ReplaceFileContents(const std::string& path, const void* data, size_t size);
bool ReplaceFileContents(const std::string& path, const std::string& text);
// Creates path with the contents only when no file of that name exists
// yet; an existing file is never overwritten (false).
bool CreateNewFile(const std::string& path, const void* data, size_t size);
