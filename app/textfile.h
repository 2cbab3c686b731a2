#pragma once
// Text-mode appending as the survey records and logs are written: every line
// feed is stored as CR LF, and the file is opened and closed for each entry.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <streambuf>
#include <string>
#include <vector>

// Opens a file for appending (created when missing) without ever waiting;
// -1 with errno when it cannot be opened or is no regular file (a FIFO, a
// device): a log or record is never written into one.
int OpenFileToAppend(const std::string& fileName);
// Appends text (with "\n" stored as "\r\n") to the file, creating it when
// missing. False when the file could not be opened or written.
bool AppendTextFile(const std::string& fileName, const std::string& text);

// "\n" -> "\r\n" (a "\r\n" already present is kept as it is).
std::string ToTextMode(const std::string& text);

// Whole-document write: a temporary file made exclusively beside the target,
// synced, then renamed over it and the folder synced, so a failed write or a
// power cut never destroys the previous file and no link planted beside it is
// followed; the temporary file is removed on every failure. A name that is a
// symbolic link is written through to the link's target, the link staying;
// a name (or a link's target) that is no regular file (a FIFO, a device, a
// folder) is never replaced (EINVAL, EISDIR).
// An existing file keeps its permissions; a new one gets `mode` less the
// umask the program started with. With `replace` false an existing file is
// never replaced (EEXIST), also on file systems without hard links or
// no-replace renames (FAT, exFAT, some network shares), where the new file is
// then created exclusively under its name and written there. File systems
// that keep no permissions are written without them. Bytes are written as
// given; errno tells why on failure.
bool WriteFileAtomically(const std::string& fileName, const std::string& bytes, int mode = 0666,
                         bool replace = true);
// The same for a file that holds a secret (a caster password): it is left
// readable and writable by its owner only, whatever mode it had; an existing
// file keeps its owner's bits, a new one gets 0600.
bool WriteOwnerOnlyFileAtomically(const std::string& fileName, const std::string& bytes);

// Every file the user names (chosen in a file dialog, or edited by hand and
// read by name) is opened through OpenFileToRead, never waiting: a FIFO or a
// device cannot hold the window, and the file is judged on the descriptor
// that is then read, so a name swapped meanwhile is no way round the check.
// Refused, with Why (when given) saying why in words for the user, when it
// cannot be opened (the system's reason: "No such file or directory"), when
// it is no regular file ("it is not a regular file": a FIFO, a device, a
// folder, a link to one of them), or when it holds more than MaxBytes, the
// most its reader can use ("it holds 80 MB, more than the 64 MB such a file
// may hold"). errno tells the same: the open's error, EISDIR for a folder,
// EINVAL for another file that is not regular, EFBIG for one too large.
// Returns the descriptor (blocking from then on; the caller closes it) and
// the file's Size, or -1.
int OpenFileToRead(const std::string& FileName, uint64_t MaxBytes, std::string* Why = nullptr,
                   uint64_t* Size = nullptr);
// Why OpenFileToRead refuses the file; empty when it would open it.
std::string FileReadProblem(const std::string& FileName, uint64_t MaxBytes);
// Reads a whole file opened by OpenFileToRead; never more than maxBytes, also
// when the file grows while it is read (then refused as too large). False,
// with why and errno set, when it is refused or a read fails.
bool ReadWholeFile(const std::string& fileName, std::string& bytes, uint64_t maxBytes,
                   std::string* why = nullptr);
// The same for files the program wrote itself, bounded by memory only.
bool ReadWholeFile(const std::string& fileName, std::string& bytes);

// A stream buffer over a descriptor from OpenFileToRead, for readers that
// take a stream and seek in it. It owns the descriptor.
class FileReadBuffer : public std::streambuf {
 public:
  explicit FileReadBuffer(int fd);
  ~FileReadBuffer() override;
  FileReadBuffer(const FileReadBuffer&) = delete;
  FileReadBuffer& operator=(const FileReadBuffer&) = delete;

 protected:
  int_type underflow() override;
  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override;
  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;

 private:
  int fd_;
  char buffer_[64 * 1024];
};

// A file's text as a text list loads it: a UTF-8 byte-order mark at the start
// is dropped; CR LF, LF or CR end a line; a line end at the very end adds no
// line.
std::vector<std::string> SplitTextLines(const std::string& bytes);

// Appends bytes to the file open for appending on fd, whole or not at all: when
// a write fails part-way (a full disk) the file is cut back to the length it
// had before, so the next entry never lands on half a line.
bool AppendWhole(int fd, const std::string& bytes);
// Replaces the system's write inside AppendWhole (nullptr: the system's
// again), so tests can make a write fail part-way.
void SetAppendWriteForTests(ssize_t (*write)(int, const void*, size_t));
