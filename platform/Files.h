// Files with the create and open semantics the game relies on. Data names use
// '\' and were authored on a case-insensitive file system: every path is
// mapped to '/' and each component resolved without regard to case.
#pragma once

#include "platform/Result.h"

#include <cstddef>
#include <cstdint>

namespace platform {

struct File;

// Maps a data name to a native path, resolving each existing component
// case-insensitively. The last components may not exist (for creation).
// False when the result does not fit `cap`.
bool ResolvePath(const char* name, char* out, size_t cap);

// True when a name read from a data file stays inside the folder it is
// looked up in: not absolute, no drive, no ".." component.
bool NameStaysInside(const char* name);

// Opens an existing file for reading, without sharing: a file another open
// holds fails with kSharingViolation. kNotFound is told apart from the rest.
File* FileOpenRead(const char* name, Result* result = nullptr);

// Creates a file for writing, truncating one that exists.
File* FileCreate(const char* name, Result* result = nullptr);

// Bytes actually read or written (short on end of file, error or full disk).
size_t FileRead(File* file, void* buffer, size_t size);
size_t FileWrite(File* file, const void* data, size_t size);
int64_t FileSize(File* file);
void FileClose(File* file);

// Writes a whole file so that a crash or a full disk never leaves a truncated
// file where a good one was: a new file is written and synced, then renamed
// over the old one, and the folder is synced so that the rename holds.
Result FileReplace(const char* name, const void* data, size_t size);

bool FileExists(const char* name);

} // namespace platform
