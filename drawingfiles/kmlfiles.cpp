#include "drawingfiles/kmlfiles.h"
#include "platform/interrupted.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

#include "app/formats.h"
#include "app/textfile.h"
#include "app/textlines.h"
#include "app/utf8.h"

namespace {

std::string Utf16ToUtf8(const std::string& bytes, std::size_t start, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  auto unit = [&](std::size_t i) -> uint32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  std::size_t i = start;
  while (i + 1 < bytes.size()) {
    uint32_t u = unit(i);
    i += 2;
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < bytes.size()) {
      const uint32_t lo = unit(i);
      if (lo >= 0xDC00 && lo < 0xE000) {
        i += 2;
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        continue;
      }
    }
    if (u >= 0xD800 && u < 0xE000) u = 0xFFFD;  // unpaired surrogate
    AppendUtf8(out, u);
  }
  return out;
}

// Lines ended by CR LF, LF or CR become lines each followed by CR LF.
std::string JoinLinesCRLF(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  textlines::LineCutter cutter;
  std::size_t pos = 0;
  std::string_view line;
  while (cutter.Next(text, pos, line)) out.append(line).append("\r\n");
  if (!line.empty()) out.append(line).append("\r\n");
  return out;
}

// Makes the folders of a relative path below base, one level at a time; an
// existing non-folder (a link among them) stops it.
bool MakeParents(const std::string& base, const std::string& relative) {
  std::size_t pos = 0;
  while (true) {
    const std::size_t slash = relative.find('/', pos);
    if (slash == std::string::npos) return true;
    const std::string dir = base + "/" + relative.substr(0, slash);
    struct stat st;
    if (lstat(dir.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) return false;
    } else if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
      return false;
    }
    pos = slash + 1;
  }
}

bool IsLinkOrSpecial(zip_t* za, zip_uint64_t index) {
  zip_uint8_t opsys = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(za, index, 0, &opsys, &attributes) != 0) return true;
  if (opsys != ZIP_OPSYS_UNIX) return false;
  const mode_t mode = static_cast<mode_t>(attributes >> 16);
  const mode_t type = mode & S_IFMT;
  return type != 0 && type != S_IFREG && type != S_IFDIR;
}

// Writes one entry's data to target; false (and no file left) when the data
// cannot be read whole or exceeds the caps.
bool ExtractEntry(zip_t* za, zip_uint64_t index, const std::string& target, uint64_t maxBytes,
                  uint64_t& written) {
  zip_file_t* zf = zip_fopen_index(za, index, 0);
  if (!zf) return false;
  const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    zip_fclose(zf);
    return false;
  }
  std::vector<char> buf(64 * 1024);
  uint64_t total = 0;
  bool ok = true;
  while (true) {
    const zip_int64_t n = zip_fread(zf, buf.data(), buf.size());
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    total += static_cast<uint64_t>(n);
    if (total > maxBytes) {
      ok = false;
      break;
    }
    const char* p = buf.data();
    zip_int64_t left = n;
    while (left > 0) {
      const ssize_t w = platform::RetryInterrupted([&] { return write(fd, p, static_cast<size_t>(left)); });
      if (w < 0) {
        ok = false;
        break;
      }
      p += w;
      left -= w;
    }
    if (!ok) break;
  }
  if (zip_fclose(zf) != 0) ok = false;  // checksum or size mismatch
  if (close(fd) != 0) ok = false;
  if (!ok) {
    unlink(target.c_str());
    return false;
  }
  written += total;
  return true;
}

}  // namespace

bool ReadKMLTextFile(const std::string& Path, std::string& Text, uint64_t MaxBytes,
                     std::string* Why) {
  auto fail = [Why](const std::string& why) {
    if (Why) *Why = why;
    return false;
  };
  std::string bytes, why;
  if (!ReadWholeFile(Path, bytes, MaxBytes, &why)) return fail(why);

  std::string text;
  if (const std::size_t bom = ByteOrderMarkLength(bytes))
    text = bytes.substr(bom);
  else if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0)
    text = Utf16ToUtf8(bytes, 2, false);
  else if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0)
    text = Utf16ToUtf8(bytes, 2, true);
  else
    text = std::move(bytes);
  Text = JoinLinesCRLF(text);
  return true;
}

bool IsSafeKMZEntryName(const std::string& Name) {
  if (Name.empty() || Name.size() > kMaxKMZEntryNameBytes) return false;
  if (Name[0] == '/' || Name[0] == '\\') return false;
  if (Name.size() >= 2 && Name[1] == ':') return false;  // drive letter
  std::size_t start = 0;
  int levels = 0;
  while (start <= Name.size()) {
    std::size_t end = Name.find_first_of("/\\", start);
    if (end == std::string::npos) end = Name.size();
    if (Name.compare(start, end - start, "..") == 0) return false;
    if (++levels > kMaxKMZEntryLevels + 1) return false;  // folders plus the file itself
    start = end + 1;
  }
  return true;
}

bool ExpandKMZArchive(const std::string& ZipPath, const std::string& Folder,
                      const TKMZLimits& Limits, TKMZExpandReport* Report) {
  auto refuse = [Report](const std::string& name, const std::string& why) {
    if (Report) Report->Refused.emplace_back(name, why);
  };
  int error = 0;
  zip_t* za = zip_open(ZipPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!za) za = zip_open(ZipPath.c_str(), ZIP_RDONLY, &error);
  if (!za) return false;
  // The archive's own copy may lie in the folder: no entry may replace it.
  struct stat zipStat;
  const bool haveZipStat = stat(ZipPath.c_str(), &zipStat) == 0;
  const zip_int64_t count = zip_get_num_entries(za, 0);
  if (Report) Report->Entries = count > 0 ? static_cast<uint64_t>(count) : 0;
  uint64_t written = 0;
  for (zip_int64_t i = 0; i < count && static_cast<uint64_t>(i) < Limits.MaxEntries; ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) continue;
    std::string name = st.name;
    for (char& c : name)
      if (c == '\\') c = '/';
    if (!IsSafeKMZEntryName(name) || IsLinkOrSpecial(za, index)) continue;
    if (name.back() == '/') {
      MakeParents(Folder, name);
      continue;
    }
    const std::string sizeText =
        (st.valid & ZIP_STAT_SIZE) ? "it expands to " + ByteCountText(st.size) + ", " : std::string("it expands to ");
    if ((st.valid & ZIP_STAT_SIZE) && st.size > Limits.MaxEntryBytes) {
      refuse(name, sizeText + "more than the " + ByteCountText(Limits.MaxEntryBytes) +
                       " one entry may hold");
      continue;
    }
    if (written >= Limits.MaxTotalBytes) {
      refuse(name, "the archive's entries before it already fill the " +
                       ByteCountText(Limits.MaxTotalBytes) + " an archive may expand to");
      continue;
    }
    const uint64_t room = std::min(Limits.MaxEntryBytes, Limits.MaxTotalBytes - written);
    if ((st.valid & ZIP_STAT_SIZE) && st.size > room) {
      refuse(name, sizeText + "more than the " + ByteCountText(room) +
                       " left of what an archive may expand to");
      continue;
    }
    if (!MakeParents(Folder, name)) {
      refuse(name, "its folder cannot be made");
      continue;
    }
    struct stat existing;
    if (haveZipStat && lstat((Folder + "/" + name).c_str(), &existing) == 0 &&
        existing.st_dev == zipStat.st_dev && existing.st_ino == zipStat.st_ino)
      continue;
    if (!ExtractEntry(za, index, Folder + "/" + name, room, written))
      refuse(name, "its data cannot be read whole (damaged, or more than the " +
                       ByteCountText(room) + " allowed)");
  }
  zip_discard(za);
  return true;
}
