#pragma once
// Reading numbers out of text lines of point and placemark files.

// One number as scanf's %lf reads it, white space before it skipped; "."
// decimal point whatever the locale. Advances p past the number.
bool ScanLfNumber(const char*& p, const char* end, double& value);
