#pragma once

#include "platform/byte_sink.h"

#include <cstdint>
#include <string>

// An output file that appears under its final name only when complete.
//
// The bytes go to a temporary file in the final path's folder, unnamed where
// the file system allows (so that even a killed process leaves nothing);
// Commit() flushes it to disk and renames it over the final path in one step. Until then a file
// that already had the final name stays untouched, and a failed or abandoned
// output (Discard(), a failed Commit() or the destructor) removes the
// temporary file, so no run leaves a truncated file behind.
//
// A final path that names an existing device or pipe is written directly,
// since such a node must never be replaced by a regular file.
//
// Paths are UTF-8. Where a call fails, LastSystemError() says why.
class CAtomicOutputFile : public CByteSink
{
public:
    CAtomicOutputFile();
    ~CAtomicOutputFile() override;
    CAtomicOutputFile(const CAtomicOutputFile&) = delete;
    CAtomicOutputFile& operator=(const CAtomicOutputFile&) = delete;

    // False when the file cannot be created: a missing or read-only folder,
    // a final path that is a folder or a read-only file, or (on Windows) a
    // file that another program holds open and would not let go.
    bool Create(const std::string& finalPath);

    // Writes to standard output, directly: nothing is renamed and a pipe is
    // not synced. Commit and Discard leave standard output open for the rest
    // of the process. False when there is no standard output.
    bool CreateStandardOutput();

    // Writes every byte, retrying short writes; false once a write failed
    // (a full disk, a file size limit). Later writes then fail as well.
    bool Write(const char* data, std::size_t count) override;

    // Flushes, closes and renames over the final path. False when any of
    // that failed or an earlier Write failed, with the first failure's
    // system error set; the temporary file is then removed and the final
    // path keeps what it had.
    bool Commit();

    // Closes and removes the temporary file; the final path is not touched.
    void Discard();

private:
#if defined(_WIN32)
    bool OpenDirect(const std::wstring& path);
    void CloseHandle();
    void Reset();

    void* m_hFile = nullptr; // the HANDLE written, or null
    bool m_bDirect = false;
    bool m_bFailed = false;
    unsigned long m_nFirstError = 0; // of the write that failed
    std::wstring m_strFinalPath;
    std::wstring m_strWritingPath;
#else
    bool CreateTemporary(const std::string& folder, const std::string& fileName, int mode);
    bool OpenDirect(const std::string& path);
    bool CommitUnnamed();
    bool CloseDescriptor();
    void Reset();
    void StartWriteback();

    // A large file is handed to the disk every this many bytes while it is
    // written, so that the sync at Commit finds little left to do.
    static constexpr std::uint64_t kWritebackStretch = std::uint64_t {8} << 20;

    int m_nDescriptor = -1;
    bool m_bDirect = false;
    bool m_bFailed = false;
    int m_nFirstError = 0; // errno of the write that failed
    std::uint64_t m_nWritten = 0;
    std::uint64_t m_nWritebackAsked = 0; // bytes written when the last writeback was started
    int m_nWritebackError = 0;           // errno of the first writeback that failed
    std::string m_strFinalPath;
    std::string m_strWritingPath; // empty while an unnamed file is written
    // Where an unnamed file gets its name: the final path's folder and name.
    std::string m_strFolder;
    std::string m_strFileName;
#endif
};
