#include "ntrip/ntripprotocol.h"

#include <gtest/gtest.h>

using namespace ntrip;

TEST(NtripProtocol, Base64MatchesTheStandardVectors) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},
      {"foo", "Zm9v"},    {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"}, {"\xff\xfe", "//4="}};
  for (const auto& [in, out] : cases) EXPECT_EQ(Base64Encode(in), out) << in;
}

TEST(NtripProtocol, RequestsOfEachMode) {
  EXPECT_EQ(BuildRequest(0, "caster.example", "MP1", "", ""),
            "GET /MP1 HTTP/1.0\r\nUser-Agent: NTRIP QuarixNTRIPClient/1.0\r\n\r\n");
  // A user name with an empty password still sends "user:".
  EXPECT_EQ(BuildRequest(0, "h", "MP1", "user", ""),
            "GET /MP1 HTTP/1.0\r\nUser-Agent: NTRIP QuarixNTRIPClient/1.0\r\n"
            "Authorization: Basic dXNlcjo=\r\n\r\n");
  EXPECT_EQ(BuildRequest(1, "caster.example", "MP1", "a", "b"),
            "GET /MP1 HTTP/1.1\r\nHost: caster.example\r\nNtrip-Version: Ntrip/2.0\r\n"
            "User-Agent: NTRIP QuarixNTRIPClient/1.0\r\nAuthorization: Basic YTpi\r\n\r\n");
  EXPECT_EQ(BuildRequest(2, "h", "MP1", "a", "b"), "");
}

TEST(NtripProtocol, GGASentenceFields) {
  struct Case { double lat, lon, alt; const char* fields; };
  const Case cases[] = {
      {-33.5, -0.25, 12.34, "3330.0000,S,00015.0000,W,1,10,1.0,12.3,M,0.0,M,,"},
      {0, 0, 0, "0000.0000,N,00000.0000,E,1,10,1.0,0.0,M,0.0,M,,"},
      {41.5, 29.0125, -3.05, "4130.0000,N,02900.7500,E,1,10,1.0,-3.0,M,0.0,M,,"},
      // Minutes that round up to 60 carry into the degrees.
      {47.99999999, 11.99999999, 0, "4800.0000,N,01200.0000,E,1,10,1.0,0.0,M,0.0,M,,"},
      {-0.999999999, -179.999999999, 0, "0100.0000,S,18000.0000,W,1,10,1.0,0.0,M,0.0,M,,"},
  };
  for (const Case& c : cases) {
    const std::string gga = BuildGGA(7, 5, 9, c.lat, c.lon, c.alt);
    const std::string body = "GPGGA,070509," + std::string(c.fields);
    EXPECT_EQ(gga, "$" + body + "*" + NMEAChecksum(body));
  }
  EXPECT_EQ(NMEAChecksum("GPGGA,"), "7A");
  EXPECT_EQ(NMEAChecksum(""), "00");
}

TEST(NtripProtocol, SourceTableMountPointsAndNmeaFlags) {
  const std::string table =
      "CAS;caster;2101;x;y;0;DEU;50;8;0.0.0.0;0;http://x\r\n"
      "STR;MP19;Frankfurt;RTCM 3.2;1004(1);2;GPS+GLO;EUREF;DEU;50.09;8.66;1;0;sNTRIP;none;B;N;5400;\n"
      "STR;\r"
      "STR;Short;x\r\n"
      "NET;EUREF;BKG;B;N;http://x;;;\r\n"
      "str;lower;case;\r\n"
      "ENDSOURCETABLE\r\n";
  const SourceTable t = ParseSourceTable(table);
  EXPECT_EQ(t.mountPoints, (std::vector<std::string>{"MP19", "Short"}));
  EXPECT_EQ(t.nmea, (std::vector<std::string>{"1", "0"}));
}

TEST(NtripProtocol, ResponseCheck) {
  struct Case {
    const char* header;
    ResponseCheck::Kind kind;
    const char* refusal;
    const char* serverLine;
    const char* rest;
  };
  using K = ResponseCheck;
  const Case cases[] = {
      {"ICY 200 OK", K::Incomplete, "", "", ""},
      {"ICY 200 OK\r\n\xd3\x00", K::Accepted, "", "", "\xd3"},
      {"ICY 200 OK\r\n\r\nAB", K::Accepted, "", "", "\r\nAB"},
      {"HTTP/1.1 200 OK\r\nNtrip-Version: Ntrip/2.0\r\n\r\nXY", K::Accepted, "", "", "XY"},
      {"HTTP/1.1 200 OK\r\nServer: x\r\n", K::Incomplete, "", "", ""},
      {"SOURCETABLE 200 OK\r\nServer: x\r\n\r\nSTR;A;", K::SourceTable, "", "", "STR;A;"},
      {"HTTP/1.0 401 Unauthorized\r\n\r\n", K::Refused, "401 - Invalid username or password", "", ""},
      {"HTTP/1.0 404 Not Found\r\n\r\n", K::Refused, "404 - Mount point not found: MP", "", ""},
      {"HTTP/1.0 403 Forbidden\r\n\r\n", K::Refused, "403 - Access forbidden", "", ""},
      {"HTTP/1.1 500 Internal Server Error\r\n\r\n", K::Refused, "Unknown server response",
       "HTTP/1.1 500 Internal Server Error", ""},
  };
  for (const Case& c : cases) {
    const std::string header = c.header;
    const ResponseCheck r = CheckResponse(header, "MP");
    EXPECT_EQ(r.kind, c.kind) << header;
    EXPECT_EQ(r.refusal, c.refusal) << header;
    EXPECT_EQ(r.serverLine, c.serverLine) << header;
    EXPECT_EQ(r.rest, c.rest) << header;
  }
}

TEST(NtripProtocol, TailBufferKeepsTheNewest8192BytesWithZeros) {
  std::string stream;
  for (int i = 0; i < 10000; ++i) stream += char(i % 7 == 0 ? 0 : 'a' + i % 26);
  std::string tail;
  AppendTail(tail, stream.data(), 4095);
  AppendTail(tail, stream.data() + 4095, 4095);
  EXPECT_EQ(tail, stream.substr(0, 8190));
  AppendTail(tail, stream.data() + 8190, 1810);
  EXPECT_EQ(tail, stream.substr(10000 - 8192));
}
