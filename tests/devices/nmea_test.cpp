// NMEA field rules of the serial device component's own decoding.
#include "devices/nmea.h"

#include <gtest/gtest.h>

#include "devices/serialtext.h"

TEST(Nmea, PositionDegrees) {
  struct Case {
    const char* value;
    const char* hemisphere;
    double degrees;
  };
  const Case cases[] = {
      {"4807.038", "N", 48.1173},
      {"4807.038", "S", -48.1173},
      {"01131.000", "E", 11 + 31.0 / 60},
      {"01131.000", "W", -(11 + 31.0 / 60)},
      {"01131.000", "", 1 + 131.0 / 60},   // no hemisphere: two degree digits
      {"01131.000", "w", 1 + 131.0 / 60},  // only "E"/"W" exactly
      {"5012.790800", "N", 50 + 12.7908 / 60},
      {"", "N", 0},
      {"4807", "N", 0},     // no period
      {"1.5", "N", 0},      // period in the second character
      {".5", "N", 0},       // period in the first character
      {"48x7.038", "N", 48},  // minutes that are not a number read as 0
      {"4x07.038", "N", 7.038 / 60},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " " + c.hemisphere);
    EXPECT_NEAR(nmea::PositionDegrees(c.value, c.hemisphere), c.degrees, 1e-12);
  }
}

TEST(Nmea, SentenceChecksum) {
  using nmea::Checksum;
  const std::pair<const char*, Checksum> cases[] = {
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", Checksum::Good},
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48", Checksum::Good},
      {"$GPRMC,1,A*3b", Checksum::Good},  // lower-case digits
      {"$GPGGA,123519,4907.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", Checksum::Bad},
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*00", Checksum::Bad},
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*4", Checksum::Bad},   // cut short
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*", Checksum::Bad},
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*G8", Checksum::Bad},
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K", Checksum::None},
      {"$", Checksum::None},
  };
  for (const auto& [line, expected] : cases) {
    SCOPED_TRACE(line);
    EXPECT_EQ(nmea::SentenceChecksum(line), expected);
  }
}

TEST(Nmea, FieldsAndNumbers) {
  EXPECT_EQ(nmea::SplitFields("$GPGGA,,a,"), (std::vector<std::string>{"$GPGGA", "", "a", ""}));
  EXPECT_EQ(nmea::SplitFields(""), (std::vector<std::string>{""}));
  EXPECT_EQ(nmea::RealField("545.4"), 545.4);
  EXPECT_EQ(nmea::RealField("-3.5"), -3.5);
  EXPECT_EQ(nmea::RealField("5,5"), 0);
  EXPECT_EQ(nmea::RealField("abc"), 0);
  EXPECT_EQ(nmea::RealField("nan"), 0);
  EXPECT_EQ(nmea::IntField("08"), 8);
  EXPECT_EQ(nmea::IntField("1.5"), 0);
  EXPECT_EQ(nmea::IntField("99999999999"), 0);
}

TEST(Nmea, SentencesThatChangeNothing) {
  nmea::NavValues v;
  v.Latitude = 1;
  v.Speed = 2;
  v.FixQuality = 3;
  for (const char* line : {"$GPG", "$GPGGA,1,2", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9",
                           "$GPGGA,120000.20,5100.6", "$GPRMC,1,A,2,N,3,E*3B",
                           "$GPZDA,123519,30,01,2026,00,00*41", "$GPGSA,A,3,04,05,,,,,,,,,,,2.5,1.3,2.1",
                           "$GPGLL,4916.45,N,12311.12,W,225444,A", "$GPRMC,1,A,2,N,3,E,", "$GPVTG,1,T,2",
                           "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", "$GP*GGA,1,2,3",
                           "$GNTXT,01,01,02,GGA output rate changed", "$PUBX,40,GGA,0,1,0,0,0,0",
                           "$GPGGA1,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
                           "$PQGGA:,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
                           ""}) {
    SCOPED_TRACE(line);
    const nmea::Changes c = nmea::DecodeSentence(line, v);
    EXPECT_FALSE(c.position);
    EXPECT_FALSE(c.speed);
    EXPECT_EQ(v.Latitude, 1);
    EXPECT_EQ(v.Speed, 2);
    EXPECT_EQ(v.FixQuality, 3);
  }
}

// LF, CR LF and a CR alone each end a line; a CR ends it at once.
// A sentence is whole when it has the fields its decoding reads; one the
// receiver cut short but ended normally is not, checksum or not.
TEST(Nmea, WholeSentences) {
  const struct {
    const char* line;
    const char* type;
    bool whole;
  } rows[] = {
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", "GGA", true},
      {"$GPGGA,123519,,,,,0,00,,,M,,M,,*6B", "GGA", true},  // no fix: whole
      {"$GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4", "GGA", true},
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9", "GGA", false},
      {"$GPGGA,120000.20,5100.6", "GGA", false},
      {"$GPGGA,120000.20,5100.6*3A", "GGA", false},
      {"$GPGGA,1,2,3,4,5,6,7,8*9,10,11,12", "GGA", false},  // the fields after '*' are no fields
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4", "RMC", false},
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4", "RMC", true},
      {"$GPRMC,123519,A,4807.038,N,01131.000,E", "RMC", false},
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2", "VTG", true},
      {"$GPVTG,054.7,T,034.4,M,005.5,N", "VTG", false},
      {"$HEHDT,274.07,T", "HDT", true},
      {"$HEHDT,27", "HDT", false},
      {"$GNTXT,01,01,02,GGA output rate changed", "GGA", false},
  };
  for (const auto& r : rows) EXPECT_EQ(nmea::IsWholeSentence(r.line, r.type), r.whole) << r.line << " " << r.type;
}

TEST(SerialText, LinesAreTakenAndTrimmed) {
  std::string buffer = " \t$GPZDA,1 \r\n\r\n\x01 x\x7f\r\xc3\xa9\n12.3\r rest";
  std::string line;
  std::vector<std::string> lines;
  while (serialtext::TakeLine(buffer, line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"$GPZDA,1", "", "x\x7f", "\xc3\xa9", "12.3"}));
  EXPECT_EQ(buffer, " rest");
}

// On a stream of NMEA a "$" also ends the text before it; a sentence ended so,
// before its line end (LF, CR LF or a CR alone), lost its end.
TEST(SerialText, SentencesEndAtTheirLineEndOrAreCutShort) {
  std::string buffer = " $GPZDA,1\r$GPVTG,2 $GPRMC*3\r\nnoise$$GPHDT,4\n\n$GPGGA,5\r$GPZ";
  std::string line;
  bool cutShort = true;
  std::vector<std::pair<std::string, bool>> lines;
  while (serialtext::TakeSentence(buffer, line, cutShort)) lines.emplace_back(line, cutShort);
  const std::vector<std::pair<std::string, bool>> expected = {
      {"", false},      {"$GPZDA,1", false}, {"$GPVTG,2", true}, {"$GPRMC*3", false}, {"noise", false},
      {"$", true},      {"$GPHDT,4", false}, {"", false},       {"$GPGGA,5", false}};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(buffer, "$GPZ");  // waits for its end
}

TEST(SerialText, ZeroBytesAloneAreDropped) {
  std::string buffer = "a";
  const char chunk[] = {'$', 'G', '\0', 'P', '\r', '\n', '\0', '\0', '$', 'X'};
  serialtext::AppendChunk(buffer, chunk, sizeof chunk);
  EXPECT_EQ(buffer, "a$GP\r\n$X");
}

TEST(SerialText, UnfinishedRestIsBounded) {
  std::string text;
  for (int i = 0; i < 4097; ++i) text += static_cast<char>('a' + i % 26);
  std::string exactly(text, 0, 4096);
  serialtext::BoundRest(exactly);
  EXPECT_EQ(exactly.size(), 4096u);
  std::string over = text;
  serialtext::BoundRest(over);
  EXPECT_EQ(over, text.substr(4097 - 2048));
}

TEST(SerialText, RawLogEntry) {
  const QDateTime t(QDate(2026, 1, 30), QTime(9, 5, 7, 45));
  EXPECT_EQ(serialtext::RawLogEntry("$GPZDA", false, t), "$GPZDA\r\n");
  EXPECT_EQ(serialtext::RawLogEntry("$GPZDA", true, t), "2026-01-30 09:05:07.045 $GPZDA\r\n");
}
