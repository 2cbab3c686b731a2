#include "ntrip/ntripprotocol.h"

#include <cmath>
#include <cstdio>

#include "app/textlines.h"

namespace ntrip {

std::string Base64Encode(const std::string& text) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((text.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= text.size(); i += 3) {
    unsigned v = (unsigned char)text[i] << 16 | (unsigned char)text[i + 1] << 8 | (unsigned char)text[i + 2];
    out += alphabet[(v >> 18) & 63];
    out += alphabet[(v >> 12) & 63];
    out += alphabet[(v >> 6) & 63];
    out += alphabet[v & 63];
  }
  const std::size_t left = text.size() - i;
  if (left == 1) {
    unsigned v = (unsigned char)text[i] << 16;
    out += alphabet[(v >> 18) & 63];
    out += alphabet[(v >> 12) & 63];
    out += "==";
  } else if (left == 2) {
    unsigned v = (unsigned char)text[i] << 16 | (unsigned char)text[i + 1] << 8;
    out += alphabet[(v >> 18) & 63];
    out += alphabet[(v >> 12) & 63];
    out += alphabet[(v >> 6) & 63];
    out += '=';
  }
  return out;
}

std::string NMEAChecksum(const std::string& text) {
  unsigned char x = 0;
  for (char c : text) x ^= (unsigned char)c;
  char buf[3];
  std::snprintf(buf, sizeof buf, "%02X", x);
  return buf;
}

// Degrees and minutes with four decimals of minutes. The minutes are rounded
// to what is printed first, so 59.99999 becomes the next whole degree rather
// than "60.0000".
static std::string DegreesMinutes(double value, const char* format) {
  const double a = std::fabs(value);
  double d = std::floor(a);
  double m = std::round((a - d) * 60.0 * 10000.0) / 10000.0;
  if (m >= 60.0) {
    d += 1;
    m -= 60.0;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, format, d, m);
  return buf;
}

std::string GGALatitude(double latitude) { return DegreesMinutes(latitude, "%02.0f%07.4f"); }
std::string GGALongitude(double longitude) { return DegreesMinutes(longitude, "%03.0f%07.4f"); }

std::string BuildGGA(int utcHour, int utcMinute, int utcSecond, double latitude, double longitude,
                     double altitude) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "GPGGA,%02d%02d%02d,", utcHour, utcMinute, utcSecond);
  std::string body = buf;
  body += GGALatitude(latitude) + (latitude >= 0 ? ",N," : ",S,");
  body += GGALongitude(longitude) + (longitude >= 0 ? ",E," : ",W,");
  std::snprintf(buf, sizeof buf, "1,10,1.0,%.1f,M,0.0,M,,", altitude);
  body += buf;
  return "$" + body + "*" + NMEAChecksum(body);
}

std::string BuildRequest(int requestMode, const std::string& host, const std::string& mountPoint,
                         const std::string& username, const std::string& password) {
  std::string auth;
  if (!username.empty()) auth = "Authorization: Basic " + Base64Encode(username + ":" + password) + "\r\n";
  const std::string agent = std::string("User-Agent: ") + kUserAgent + "\r\n";
  if (requestMode == 0) return "GET /" + mountPoint + " HTTP/1.0\r\n" + agent + auth + "\r\n";
  if (requestMode == 1)
    return "GET /" + mountPoint + " HTTP/1.1\r\n" + "Host: " + host + "\r\n" + "Ntrip-Version: Ntrip/2.0\r\n" +
           agent + auth + "\r\n";
  return {};
}

std::vector<std::string> SplitFields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = line.find(separator, start);
    if (end == std::string::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
}

SourceTable ParseSourceTable(const std::string& text) {
  SourceTable table;
  for (const std::string& line : textlines::Split(text)) {
    if (line.compare(0, 4, "STR;") != 0) continue;
    const std::string rest = line.substr(4);
    const std::size_t semi = rest.find(';');
    if (semi == std::string::npos) continue;
    table.mountPoints.push_back(rest.substr(0, semi));
    const std::vector<std::string> fields = SplitFields(line, ';');
    table.nmea.push_back(fields.size() >= 12 && fields[11] == "1" ? "1" : "0");
  }
  return table;
}

ResponseCheck CheckResponse(const std::string& header, const std::string& mountPoint) {
  ResponseCheck r;
  const auto has = [&](const char* s) { return header.find(s) != std::string::npos; };
  // Zero-based index of the first byte of the blank line's CR LF CR LF.
  std::size_t e = header.find("\r\n\r\n");
  const bool icy = has("ICY 200 OK");
  std::size_t icyLineEnd = std::string::npos;  // index just behind "ICY 200 OK\r\n"
  const std::size_t k = header.find("ICY 200 OK\r\n");
  if (k != std::string::npos) icyLineEnd = k + 12;
  if (icy && e == std::string::npos && k != std::string::npos) e = k + 10;  // the CR ending the ICY line
  if (e == std::string::npos) return r;

  const bool accepted = has("200 OK") || has("ICY 200 OK") || has("SOURCETABLE 200");
  const bool sourceTable = has("SOURCETABLE");
  if (!accepted && !sourceTable) {
    r.kind = ResponseCheck::Refused;
    if (has("401")) r.refusal = "401 - Invalid username or password";
    else if (has("404")) r.refusal = "404 - Mount point not found: " + mountPoint;
    else if (has("403")) r.refusal = "403 - Access forbidden";
    else {
      const std::size_t crlf = header.find("\r\n");
      if (crlf != std::string::npos) r.serverLine = header.substr(0, crlf);
      r.refusal = "Unknown server response";
    }
    return r;
  }
  if (sourceTable) {
    r.kind = ResponseCheck::SourceTable;
    r.rest = e + 4 <= header.size() ? header.substr(e + 4) : std::string();
    return r;
  }
  r.kind = ResponseCheck::Accepted;
  const std::size_t dataStart = (icy && icyLineEnd != std::string::npos) ? icyLineEnd : e + 4;
  if (dataStart < header.size()) r.rest = header.substr(dataStart);
  return r;
}

bool FoundSince(const std::string& text, std::size_t from, const std::string& needle) {
  const std::size_t start = from >= needle.size() ? from - needle.size() + 1 : 0;
  return text.find(needle, start) != std::string::npos;
}

void AppendTail(std::string& buffer, const char* data, std::size_t length, std::size_t limit) {
  buffer.append(data, length);
  if (buffer.size() > limit) buffer.erase(0, buffer.size() - limit);
}

}  // namespace ntrip
