// Files and folders, as the program reaches them: listing, state, copy,
// rename and delete, and the open files it reads and rewrites.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class RunLog;

// An open file; kNoFile when none.
using FileHandle = std::uintptr_t;
constexpr FileHandle kNoFile = 0;

constexpr std::uint32_t kFileAttributeNormal = 0x80;  // FILE_ATTRIBUTE_NORMAL

// What is known of a path: a failed query is neither present nor missing.
enum class FileState { Missing, Present, Unknown };

class FileServices {
  public:
    // Names (without folder) of the files matching a wildcard pattern, in the
    // file system's order. Empty when nothing matches or the listing fails.
    virtual std::vector<std::string> ListFiles(const char* pattern) = 0;

    virtual FileState GetFileState(const char* path) = 0;
    // File operations each report failure.
    // Clearing attributes makes a read-only file writable and deletable.
    virtual bool SetFileAttributes(const char* path, std::uint32_t attributes) = 0;
    // Creates or overwrites `to` with the content of `from`.
    virtual bool CopyFile(const char* from, const char* to) = 0;
    virtual bool DeleteFile(const char* path) = 0;
    // Fails when `from` is missing or `to` exists: it never replaces a file.
    virtual bool MoveFile(const char* from, const char* to) = 0;
    // An existing folder makes the call fail harmlessly.
    virtual bool CreateDirectory(const char* path) = 0;

    // Opens an existing file for reading and writing, shared with no one;
    // kNoFile when it is missing or open elsewhere.
    virtual FileHandle OpenFileExclusive(const char* path) = 0;
    virtual void CloseFile(FileHandle file) = 0;
    virtual bool GetFileSize(FileHandle file, std::uint32_t* size) = 0;
    // Reads up to `size` bytes at the current position; `done` gets the count.
    virtual bool ReadFile(FileHandle file, void* data, std::uint32_t size, std::uint32_t* done) = 0;
    // Writes at the current position; `done` gets the count actually written.
    virtual bool WriteFile(FileHandle file, const void* data, std::uint32_t size,
                           std::uint32_t* done) = 0;
    virtual bool SeekFile(FileHandle file, std::uint32_t offset) = 0;
    // Ends the file at the current position.
    virtual bool TruncateFile(FileHandle file) = 0;

    // Creates the file or writes at its end, shared with no one. False when
    // it cannot be opened or not every byte was written.
    virtual bool AppendToFile(const char* path, const void* data, std::uint32_t size) = 0;

    // The run's log while one is kept: each step adds a line for each change
    // it makes (platform/run_log.h).
    RunLog* runLog = nullptr;

  protected:
    // Never deleted through the interface.
    ~FileServices() = default;
};
