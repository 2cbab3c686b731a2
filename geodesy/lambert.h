#pragma once
// Lambert conformal conic projection with one standard parallel and a scale
// factor (LCC1), or with two standard parallels (LCC2, reduced to an equivalent
// one-parallel form). Angles in radians, lengths in metres, f the flattening
// itself. The parameters live in two module-wide records between the set-up
// and the conversions (user-interface thread only); before any set-up they
// hold WGS-84 with origin 45 degrees (LCC2: parallels 40 and 50 degrees).
// A two-parallel conversion loads its derived one-parallel parameters into the
// one-parallel record, so a later LCC1 conversion runs on them.

// Error bits returned by the conversions (0 = success; outputs untouched otherwise).
inline constexpr int kLccLatitudeError = 0x01;   // outside -pi/2..pi/2, or a pole the cone cannot reach
inline constexpr int kLccLongitudeError = 0x02;  // outside -pi..2pi
inline constexpr int kLccEastingError = 0x04;    // beyond false easting +- 40,000,000 m
inline constexpr int kLccNorthingError = 0x08;   // beyond false northing +- 40,000,000 m, or no convergence

// Set-up error bits (0 = accepted), reported through the optional setupErrors
// argument. A rejected set-up changes nothing: the caller must not convert on
// the old parameters as if they were the new ones.
//   LCC1: 0x10 origin latitude beyond +-89d59'59" or exactly 0; 0x20 central
//         meridian outside -pi..2pi; 0x40 scale factor outside 0.3..3.0;
//         0x80 semi-major axis not positive; 0x100 1/f outside 250..350.
//   LCC2: 0x10 SP1 / 0x20 SP2 / 0x40 origin latitude beyond +-89d59'59";
//         0x80 central meridian outside -pi..2pi; 0x100 semi-major axis not
//         positive; 0x200 1/f outside 250..350; 0x400 SP1 = -SP2; 0x800 both
//         parallels 0; 0x1000 the derived one-parallel form fails the LCC1 checks.
inline constexpr int kLcc2DerivedRejected = 0x1000;

// Stores the one-parallel parameters and returns the cone constant n = sin(originLatitude).
// A central meridian above pi is stored less 2 pi. When rejected, returns the n
// still held and sets *setupErrors (when given) to the bits above.
double SetLCC1Parameters(double a, double f, double originLatitude, double centralMeridian, double falseEasting,
                         double falseNorthing, double scaleFactor, int* setupErrors = nullptr);
void GetLCC1Parameters(double& a, double& f, double& originLatitude, double& centralMeridian,
                       double& falseEasting, double& falseNorthing, double& scaleFactor);
// Geographic -> grid with the one-parallel parameters; returns error bits.
int GeodeticToLCC1(double latitude, double longitude, double& easting, double& northing);
// Grid -> geographic with the one-parallel parameters; returns error bits.
int LCC1ToGeodetic(double easting, double northing, double& latitude, double& longitude);

// Stores the two-parallel parameters with their derived one-parallel form and
// returns the cone constant n (grid convergence = n * longitude difference).
// When rejected, returns the one-parallel record's n and sets *setupErrors.
double SetLCC2Parameters(double a, double f, double originLatitude, double centralMeridian,
                         double standardParallel1, double standardParallel2, double falseEasting,
                         double falseNorthing, int* setupErrors = nullptr);
void GetLCC2Parameters(double& a, double& f, double& originLatitude, double& centralMeridian,
                       double& standardParallel1, double& standardParallel2, double& falseEasting,
                       double& falseNorthing);
int GeodeticToLCC2(double latitude, double longitude, double& easting, double& northing);
int LCC2ToGeodetic(double easting, double northing, double& latitude, double& longitude);

// Puts both records back to their values before any set-up (a fresh start).
void ResetLCCParameters();
