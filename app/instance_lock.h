// Only one Tavo runs per program directory: an advisory lock on a file there,
// held for the program's life. The kernel drops the lock when the process
// ends however it ends, so a file left by a crashed run blocks nothing.
#pragma once
#include <string>

// False when another running instance holds the lock.
bool AcquireInstanceLock(const std::string& folder);
void ReleaseInstanceLock();
