// A caster's answer: the response header judged against the mount point, and
// the source table read from the rest. The answer is also fed in blocks as the
// client's worker reads it, searching only what each block added: every
// judgement must be the one the whole text received so far gives.
#include <cstdlib>

#include "ntrip/ntripprotocol.h"
#include "tests/fuzz/fuzzinput.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// The client's header and source-table phases over blocks of 1 to 16 bytes
// (the first byte of each block picks its length).
void FeedInBlocks(const std::string& text) {
  std::string header, table;
  bool inTable = false;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = std::min<std::size_t>(1 + static_cast<unsigned char>(text[at]) % 16, text.size() - at);
    const std::string block = text.substr(at, length);
    at += length;
    if (inTable) {
      const std::size_t before = table.size();
      table += block;
      const bool found = ntrip::FoundSince(table, before, "ENDSOURCETABLE");
      Require(found == (table.find("ENDSOURCETABLE") != std::string::npos));
      if (found) return;
      continue;
    }
    const std::size_t before = header.size();
    header += block;
    ntrip::ResponseCheck check;
    if (ntrip::FoundSince(header, before, "\n")) check = ntrip::CheckResponse(header, "MOUNT1");
    const ntrip::ResponseCheck whole = ntrip::CheckResponse(header, "MOUNT1");
    Require(check.kind == whole.kind && check.refusal == whole.refusal && check.rest == whole.rest);
    if (check.kind != ntrip::ResponseCheck::SourceTable) {
      if (check.kind != ntrip::ResponseCheck::Incomplete) return;
      continue;
    }
    table = check.rest;
    if (table.find("ENDSOURCETABLE") != std::string::npos) return;
    inTable = true;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzzinput::Text(data, size);
  ntrip::CheckResponse(text, "MOUNT1");
  ntrip::ParseSourceTable(text);
  FeedInBlocks(text);
  std::string tail;
  for (size_t at = 0; at < size; at += 97)
    ntrip::AppendTail(tail, reinterpret_cast<const char*>(data) + at, std::min<size_t>(97, size - at), 1024);
  Require(tail == text.substr(size > 1024 ? size - 1024 : 0));
  return 0;
}
