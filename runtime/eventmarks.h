#pragma once
// Event marks of a survey: each mark takes the next number from the settings
// file (section EVENTS, key "Event Number", the number of the last mark), puts a
// numbered label on the map at the vessel and appends one line to the day's
// events log:
//   CR LF "Event No:7,Date & Time:2026-01-30 143512345,Easting:500123.46,
//   Northing:4400123.00,True Depth:12.34,True Depth:12.10,Heading:87.50"
// (one line, no line end after it). Resetting sets the number back to 0.
#include <QDateTime>
#include <functional>
#include <string>

// What the main window knows at the moment of a mark.
struct EventMarkValues {
  double gridEasting = 0;   // grid position of the last navigation tick
  double gridNorthing = 0;
  double gridHeading = 0;   // heading plus grid convergence, degrees
  std::string depthHiText;  // captions of the realtime window's depth labels
  std::string depthLoText;
};

// Where the map shows a mark: the vessel's grid position and the mark's number.
struct EventLabelPlacement {
  double x = 0;
  double y = 0;
  int number = 0;
};

// The events-log text of one mark, beginning with its line feed.
std::string EventLine(int number, const QDateTime& when, const EventMarkValues& values);

// The number of the last mark; 0 when the key is missing, not a number or negative.
int LastEventNumber();

// One event mark: the next number is read (never one given before in this run),
// the label handed to addLabel, the number stored, then the line appended to
// the day's events log (a number that cannot be stored and a log that cannot
// be written are reported; the label and the number stay). Returns the number.
int AddEventMark(const EventMarkValues& values,
                 const std::function<void(const EventLabelPlacement&)>& addLabel);

// Asks "Event ID will restart from 1 again. Continue?"; on Yes stores 0 and logs
// "Event number was reset." in the events log. True when it was reset; a 0 that
// cannot be stored is reported and nothing is logged.
bool ResetEventNumbers();
