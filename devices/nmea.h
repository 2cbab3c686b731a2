#pragma once
// Decoding of the NMEA 0183 sentences the serial device component reads for
// itself: GGA (position, fix quality, satellites, altitude), RMC and VTG
// (speed and course). Plain text in, plain values out.
//
// Rules shared by all sentences:
// - a sentence's type is the end of its address (field 0): "$", a two-letter
//   talker and the three letters of the type ($GPGGA, $GNGGA, $INGGA are all
//   GGA); a line that only mentions a type elsewhere ("$GNTXT,...,GGA output",
//   "$PUBX,40,GGA,...") is not of that type;
// - a sentence ending in "*hh" whose checksum does not match is not taken
//   (the owner counts and drops it, see SentenceChecksum); one without a
//   checksum is taken; text from the first '*' on is dropped;
// - fields are split at every comma, empty fields included, field 0 being the
//   address; a field that is not a number reads as 0.
#include <cstdint>
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

// The three letters of the sentence's type, or empty when the line is no
// sentence with such an address.
std::string SentenceType(const std::string& line);
// The line is a sentence of this type (three letters, case-sensitive).
bool IsSentence(const std::string& line, const char* type);

// The line is a whole sentence of the type: it has at least the fields that
// the decoding reads (GGA 10, up to its altitude; RMC and VTG 8, up to their
// speed; HDT 3, up to its "T"), the address and empty fields counting. A
// receiver that loses the end of a sentence in an overrun may still end it
// normally, without a checksum (for example "$GPGGA,120000.20,5100.6"): such
// a sentence is no position, no fix, no speed and no heading: this decoding
// and the survey's position and heading scans take nothing from it. For any
// other type, the same as IsSentence.
bool IsWholeSentence(const std::string& line, const char* type);

// Decodes one line that begins with '$' into values. Sentences of other types,
// too short or not whole (IsWholeSentence) change nothing.
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

// The checksum of a sentence that begins with '$': the two hexadecimal
// digits after the first '*' must equal the exclusive or of the characters
// between '$' and '*'. None: the sentence has no '*'. A '*' without two
// hexadecimal digits after it is a checksum that does not match.
enum class Checksum { None, Good, Bad };
Checksum SentenceChecksum(const std::string& line);

// Why a sentence was not taken: its checksum does not match, or its end was
// lost on the line (the next sentence's "$" came before its line end).
enum class Damage { WrongChecksum, CutShort };

// Damaged sentences, told now and then rather than per line: the first one
// at once (with its text), later ones counted and told at most once a period.
class DamageTally {
 public:
  static constexpr uint32_t kPeriodMs = 60000;
  // A dropped sentence at tick now (ms); the text to tell, or empty.
  std::string Dropped(const std::string& line, Damage damage, uint32_t now);
  // The count not told yet when a period has passed (or always with force);
  // empty when there is nothing to tell.
  std::string Pending(uint32_t now, bool force);
  // Forgets everything (a port opened again).
  void Reset() { *this = DamageTally(); }
  uint64_t Total() const { return total_; }

 private:
  uint64_t total_ = 0;
  uint64_t untold_ = 0;
  bool told_ = false;
  uint32_t toldAt_ = 0;
};

}  // namespace nmea
