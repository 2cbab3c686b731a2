// Geodetic routines.
