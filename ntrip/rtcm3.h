#pragma once
// RTCM 3 frames: the CRC-24Q, a scan of a byte buffer for frames, the decoding
// of the station messages 1005, 1006, 1007, 1008 and 1033, and the text report
// of the reference station built from one scan.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace rtcm3 {

// CRC-24Q over the bytes (initial value 0, polynomial 0x1864CFB).
uint32_t Crc24Q(const uint8_t* data, std::size_t length);

// A complete frame around a payload: preamble 0xD3, 10-bit length, payload, CRC.
std::string MakeFrame(const std::string& payload);

// What starts at data[0] of the `available` bytes: the length of a whole
// frame (preamble, reserved bits 0, length, payload, matching CRC), 0 when a
// frame may start there that has not arrived whole yet, -1 when none does.
long FrameAt(const uint8_t* data, std::size_t available);

// Unsigned and two's-complement fields of at most 64 bits, bit 0 being the most
// significant bit of byte 0. The caller keeps pos + len within the data.
uint64_t GetBits(const uint8_t* data, int pos, int len);
int64_t GetSignedBits(const uint8_t* data, int pos, int len);

// Name of a message number; "Unknown" for numbers without one.
std::string MessageName(int number);

struct Geodetic {
  double latitude = 0, longitude = 0, height = 0;  // degrees, degrees, metres
};
Geodetic EcefToGeodetic(double x, double y, double z);

// Haversine distance (m) and initial bearing (degrees, 0..360) from point 1 to point 2.
void DistanceBearing(double lat1, double lon1, double lat2, double lon2, double& distance, double& bearing);

struct Scan {
  int stationId = 0;
  int itrf = 0;
  bool gpsIndicator = false, glonassIndicator = false, galileoIndicator = false;
  int referenceStation = 0;
  double x = 0, y = 0, z = 0;
  double latitude = 0, longitude = 0, height = 0;
  bool positionValid = false;
  double antennaHeight = 0;
  std::string antennaDescriptor, antennaSerial;
  int setupId = 0;
  std::string receiverType, receiverFirmware, receiverSerial;
  bool gps = false, l1 = false, l2 = false, l5 = false;
  bool glonass = false, g1 = false, g2 = false;
  bool galileo = false, e1 = false, e5 = false;
  bool beidou = false, b1 = false, b2 = false;
  bool qzss = false, sbas = false, navic = false;
  std::map<int, int> counts;
  int total = 0;
  // Warning lines made while scanning, in order (one per implausible 1005/1006).
  std::vector<std::string> warnings;
};

// Scans the buffer for frames (taken on preamble and length; the CRC is not checked).
Scan ScanFrames(const std::string& buffer);

// The vessel position the report shows.
struct Vessel {
  double latitude = 0, longitude = 0, altitude = 0;
  bool manual = false;
};

// Zone text of a UTC offset in minutes: "GMT+03:00", "GMT-05:00".
std::string ZoneText(int offsetMinutes);

// The report's lines. now: local date and time "yyyy-mm-dd hh:nn:ss".
std::vector<std::string> ReportLines(const std::string& buffer, const Scan& scan, const Vessel& vessel,
                                     const std::string& now, int zoneOffsetMinutes);

// A reference-station position found in one received block.
struct StationFix {
  int id = 0;
  double latitude = 0, longitude = 0, height = 0;
};
// The 1005 and 1006 frames that lie wholly in a block, at least 19 bytes of
// payload and with a plausible earth-centred position (6,000 to 7,000 km from
// the centre), in block order. Every byte is tried as a frame start.
std::vector<StationFix> FindStations(const uint8_t* data, int length);

// The log line "Base #id: lat, lon, h.hhm" of a valid station.
std::string BaseLogLine(const Scan& scan);
std::string StationText(int id, double latitude, double longitude, double height);

}  // namespace rtcm3
