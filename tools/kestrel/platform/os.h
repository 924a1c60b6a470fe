// What the tool needs of the operating system, one implementation a system beside this header
// (os_posix.cpp, os_windows.cpp; CMake builds the one that fits). Everything else of the tool
// calls these and includes no system header of its own.
#pragma once

#include <cstddef>
#include <string>

namespace tool::os {

// File names of the modules the tool loads or looks for.
extern const char* const kLibusbName;  // the name the library binds libusb under
extern const char* const kLoggerName;  // the logger's file, beside the library

// Shared libraries. global: the module's names also answer later lookups by its bare name
// (the library's own binding of libusb then finds it). Null when it does not load.
void* loadLibrary(const std::string& path, bool global);
// The module already loaded under this file name, or null; it is not loaded by this call.
void* loadedLibrary(const char* name);
void* findFunction(void* module, const char* name);

// The file of the loaded jsckestrel library, as the system's loader found it.
bool kestrelLibraryFile(std::string& file);
// The directory of this program's file.
std::string programDirectory();
// path without the loader's detours (bin/../lib) when it can be resolved, else path.
std::string canonicalPath(const std::string& path);
// The directory part of path (everything before its last separator), "." without one.
std::string directoryOf(const std::string& path);
bool exists(const std::string& path);
// Both name the same file or directory (false when either is missing).
bool sameFile(const std::string& a, const std::string& b);

// A new empty directory under the system's temporary directory: false when none can be made.
bool makeTemporaryDirectory(std::string& path);

// Runs this program again with argv, loading its libraries from directory first and with the
// environment variable marker set to directory; waits for it and gives its exit status, or
// -1 with the reason in error when it cannot be started.
int runAgainWithLibraries(char** argv, const std::string& directory, const char* marker,
                          std::string& error);

// Files as descriptors, in binary. openForReading does not wait for a writer of a FIFO;
// makeBlocking undoes that once the file's kind is known.
int openForReading(const std::string& path);
int createForWriting(const std::string& path);
void makeBlocking(int fd);
// Reads up to length bytes at offset without moving the file's position: the count, 0 at the
// end, -1 with errno on failure.
long long readAt(int fd, void* buffer, std::size_t length, unsigned long long offset);
// A pipe, character device or socket: a stream of unknown length.
bool isStream(int mode);

bool isTerminal(int fd);
// Standard input, output and error carry bytes unchanged (memory contents among them).
void useBinaryStandardStreams();

// The program holding the USB device node of bus and address open, as "name (pid N)", or
// empty when no other program does or the system does not tell.
std::string deviceHolder(unsigned bus, unsigned address);

}  // namespace tool::os
