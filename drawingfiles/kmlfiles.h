#pragma once
// File services of the KML reader: reading a KML file as text and expanding
// a KMZ archive (a zip) into a work folder. Plain C++ over libzip.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Limits on what a KMZ may expand to and a KML file may hold.
struct TKMZLimits {
  uint64_t MaxEntryBytes = 64ull << 20;   // one expanded entry
  uint64_t MaxTotalBytes = 256ull << 20;  // all expanded entries together
  uint64_t MaxEntries = 10000;
};

// The largest KML text a file or an archive's entries together may hold.
constexpr uint64_t kMaxKMLFileBytes = 256ull << 20;

// Reads a whole text file as lines joined with CR LF after every line (CR LF,
// LF and a lone CR all end a line). A byte-order mark selects UTF-8 or UTF-16
// (little or big endian), which is turned into UTF-8; without one the bytes
// are kept. False when the file cannot be read or is larger than MaxBytes;
// Why (when given) then says which. The file is opened as OpenFileToRead
// does: a FIFO or a device is refused, never waited on.
bool ReadKMLTextFile(const std::string& Path, std::string& Text,
                     uint64_t MaxBytes = kMaxKMLFileBytes, std::string* Why = nullptr);

// What an expansion left out: each refused file entry with the reason.
struct TKMZExpandReport {
  std::vector<std::pair<std::string, std::string>> Refused;  // entry name, reason
  uint64_t Entries = 0;  // entries the archive holds, also those past the entry cap
};

// Expands the zip archive into Folder (which must exist), keeping the entries'
// paths. Entries that are absolute, climb with "..", are symbolic links or
// other non-regular files, or exceed the limits are not written; neither is
// an entry whose data cannot be read whole. False when the archive cannot be
// opened at all (no zip). Report (when given) lists the file entries with a
// safe name that were not written, and why, and counts the archive's
// entries: those past Limits.MaxEntries are never looked at.
bool ExpandKMZArchive(const std::string& ZipPath, const std::string& Folder,
                      const TKMZLimits& Limits = TKMZLimits(), TKMZExpandReport* Report = nullptr);

// An entry name longer than this, or with more folder levels, is refused:
// each level is checked and made one by one, so a deep name costs work in
// proportion to its depth times its length.
constexpr std::size_t kMaxKMZEntryNameBytes = 1024;
constexpr int kMaxKMZEntryLevels = 32;

// Whether a zip entry name is safe to write below the work folder.
bool IsSafeKMZEntryName(const std::string& Name);
