#pragma once
// Decoding of the NMEA 0183 sentences the serial device component reads for
// itself: GGA (position, fix quality, satellites, altitude), RMC and VTG
// (speed and course). Plain text in, plain values out.
//
// Rules shared by all sentences:
// - any two-letter talker counts ($GPGGA, $GNGGA, $INGGA are all GGA);
// - text from the first '*' on is dropped; the checksum is not verified;
// - fields are split at every comma, empty fields included, field 0 being the
//   address; a field that is not a number reads as 0.
#include <string>
#include <vector>

namespace nmea {

// The values the sentences update.
struct NavValues {
  double Latitude = 0;   // degrees, north positive
  double Longitude = 0;  // degrees, east positive
  double Altitude = 0;   // m
  double Speed = 0;      // km/h
  double Course = 0;     // degrees
  int FixQuality = 0;
  int Satellites = 0;
};

// What a decoded sentence changed that the owner is told about.
struct Changes {
  bool position = false;  // latitude, longitude or altitude changed (GGA)
  bool speed = false;     // speed changed (RMC, VTG)
};

// Decodes one line that begins with '$' into values. Sentences of other types,
// too short or with too few fields change nothing.
Changes DecodeSentence(const std::string& line, NavValues& values);

// The text split at every comma; "a,,b," gives "a", "", "b", "".
std::vector<std::string> SplitFields(const std::string& text);

// Number of a field, 0 when it is not one (period as decimal separator).
double RealField(const std::string& field);
int IntField(const std::string& field);

// Degrees of a position field: ddmm.mmm (latitude) or dddmm.mmm when the
// hemisphere is exactly "E" or "W"; negative for "S" and "W". An empty value,
// one without a period, or with its first period in the first two characters
// gives 0.
double PositionDegrees(const std::string& value, const std::string& hemisphere);

}  // namespace nmea
