#pragma once
// The NTRIP caster protocol without sockets or threads: the request, the
// authorization, the GGA report, the caster's answer and its source tables.
#include <cstddef>
#include <string>
#include <vector>

namespace ntrip {

inline constexpr const char* kUserAgent = "NTRIP QuarixNTRIPClient/1.0";
inline constexpr std::size_t kReceivedDataLimit = 8192;
// A caster's response header and source table beyond these sizes are no
// caster's: the answer is taken as an unknown server response.
inline constexpr std::size_t kHeaderLimit = 16 * 1024;
inline constexpr std::size_t kSourceTableLimit = 1024 * 1024;

// Base64 of the bytes (standard alphabet, '=' padding, no line breaks).
std::string Base64Encode(const std::string& text);

// Exclusive-or of all bytes as two upper-case hexadecimal digits.
std::string NMEAChecksum(const std::string& text);

// "hhmmss,ddmm.mmmm,N,dddmm.mmmm,E," fields of a position; exposed for the report.
std::string GGALatitude(double latitude);   // "ddmm.mmmm" (at least two degree digits)
std::string GGALongitude(double longitude); // "dddmm.mmmm" (at least three degree digits)

// The whole GGA sentence "$GPGGA,...*CS" (without CR LF) for the UTC time of day.
std::string BuildGGA(int utcHour, int utcMinute, int utcSecond, double latitude, double longitude,
                     double altitude);

// The request of a request mode: 0 NTRIP 1.0, 1 NTRIP 2.0, any other value none (empty).
std::string BuildRequest(int requestMode, const std::string& host, const std::string& mountPoint,
                         const std::string& username, const std::string& password);

// The fields of a line split at every separator (empty fields count).
std::vector<std::string> SplitFields(const std::string& line, char separator);

// Mount points of a source table and, parallel to them, "1" when the mount
// point wants NMEA from the rover, otherwise "0".
struct SourceTable {
  std::vector<std::string> mountPoints;
  std::vector<std::string> nmea;
};
SourceTable ParseSourceTable(const std::string& text);

// What the header text received so far says.
struct ResponseCheck {
  enum Kind { Incomplete, Refused, SourceTable, Accepted } kind = Incomplete;
  std::string refusal;    // status text of a refusal
  std::string serverLine; // first line of an unknown refusal (empty when it has no CR LF)
  std::string rest;       // source-table text, or correction bytes that followed the header
};
ResponseCheck CheckResponse(const std::string& header, const std::string& mountPoint);

// Appends a block to the tail buffer and keeps only its newest limit bytes.
// Whether needle occurs in text from position from on, or straddles from
// (it may have arrived split over two reads).
bool FoundSince(const std::string& text, std::size_t from, const std::string& needle);

void AppendTail(std::string& buffer, const char* data, std::size_t length,
                std::size_t limit = kReceivedDataLimit);

}  // namespace ntrip
