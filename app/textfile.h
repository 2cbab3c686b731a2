#pragma once
// Text-mode appending as the survey records and logs are written: every line
// feed is stored as CR LF, and the file is opened and closed for each entry.
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

// Appends text (with "\n" stored as "\r\n") to the file, creating it when
// missing. False when the file could not be opened or written.
bool AppendTextFile(const std::string& fileName, const std::string& text);

// "\n" -> "\r\n" (a "\r\n" already present is kept as it is).
std::string ToTextMode(const std::string& text);

// Whole-document write: a temporary file made exclusively beside the target,
// synced, then renamed over it and the folder synced, so a failed write or a
// power cut never destroys the previous file and no link planted beside it is
// followed; the temporary file is removed on every failure. A name that is a
// symbolic link is written through to the link's target, the link staying.
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

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& fileName, std::string& bytes);

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
