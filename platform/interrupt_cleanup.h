#pragma once

#include <string>

// Makes an interrupt remove the temporary files of outputs not yet
// complete before the process ends as the interrupt would have ended it;
// outputs already complete stay. Call at the start of main, before any
// other thread starts.
//
// On POSIX systems the interrupts are SIGINT, SIGTERM and SIGHUP, blocked
// in every thread and awaited by one of their own; a signal that the
// process was started with ignored (nohup, a background job of a script)
// stays ignored. On Windows they are the console's Ctrl+C, Ctrl+Break and
// its closing, which end the process with STATUS_CONTROL_C_EXIT.
void RemoveTemporaryFilesOnInterrupt();

// The register of temporary files that an interrupt removes, for
// CAtomicOutputFile. Each step changes the file and the register together,
// under one lock, so an interrupt finds every temporary file either
// registered or already renamed: never one left behind unknown.
namespace temporary_files
{
#if defined(_WIN32)
// Creates the file (CREATE_NEW, writable, shared for deletion only, so an
// interrupt can remove it while it is being written) and registers it; the
// HANDLE, or null with the system error set.
void* Create(const std::wstring& path);

// Renames the file over finalPath, replacing a file of that name, and
// forgets it; false with the system error set, the file then still
// registered.
bool Rename(const std::wstring& path, const std::wstring& finalPath);

// Removes the file and forgets it.
void Remove(const std::wstring& path);
#else
// Creates the file exclusively (open with O_CREAT | O_EXCL) and registers
// it; the descriptor, or -1 with errno set.
int Create(const std::string& path);

// Renames the file over finalPath and forgets it; false with errno set, the
// file then still registered.
bool Rename(const std::string& path, const std::string& finalPath);

// Removes the file and forgets it.
void Remove(const std::string& path);

// Creates an unnamed file in folder (open with O_TMPFILE): it has no name
// until LinkAndRename gives it one, so nothing of it can be left behind,
// not even by a process killed outright. The descriptor, or -1 with errno
// set; EOPNOTSUPP when the file system cannot make such files.
int CreateUnnamed(const std::string& folder);

// Gives the unnamed file the name finalPath when no file has it; false with
// errno set (EEXIST: a file has it).
bool LinkNew(int descriptor, const std::string& finalPath);

// Gives the unnamed file the name linkPath, then renames it over finalPath,
// both under the register's lock, so an interrupt never finds it named and
// unregistered. False with errno set (EEXIST: linkPath is taken, try
// another); the file then has no name.
bool LinkAndRename(int descriptor, const std::string& linkPath, const std::string& finalPath);
#endif
} // namespace temporary_files
