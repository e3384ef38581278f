// Writing and reading the program's files safely. A file is written so
// that a failure never destroys what was there: the contents go to a
// temporary file beside the target, are flushed to the disk, and only then
// take the target's name. Files are opened for reading without ever
// blocking on a pipe or a device.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

// The folder part of a path: "." when it has no slash, "/" for a name in the
// root folder.
std::string FolderOf(const std::string& path);

// printf-style text appended to out.
void AppendFormat(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Replaces (or creates) path with the contents. False when anything fails;
// the old file is then untouched and no temporary file is left behind.
bool ReplaceFileContents(const std::string& path, const void* data, size_t size);
bool ReplaceFileContents(const std::string& path, const std::string& text);
// Creates path with the contents only when no file of that name exists
// yet; an existing file is never overwritten (false).
bool CreateNewFile(const std::string& path, const void* data, size_t size);
// For files written piece by piece: a fresh file at path + ".tmp" (never
// whatever sat under that name), none on failure. FinishTemporaryFile closes
// it and, when everything went well, renames it over path; otherwise it
// removes it. False when anything failed.
FILE* CreateTemporaryFile(const std::string& path);
bool FinishTemporaryFile(FILE* file, const std::string& path, bool ok);
// Opens a regular file for reading without ever blocking (a pipe or a
// device under the name is refused); none on failure.
FILE* OpenRegularFile(const std::string& path);
// The same as a file descriptor, for readers that take one; -1 on failure.
int OpenRegularDescriptor(const std::string& path);
// Appends what is left of the open file; false on a read error.
bool ReadRest(FILE* file, std::string* data);
