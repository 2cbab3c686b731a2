#pragma once
// Creates every window of the program in its fixed order; each lives until exit.
void CreateForms();

// A logout, a shutdown, Ctrl+C or a closed terminal closes the program as
// File > Exit does (an import or reload in progress stops first), and the
// program then ends whatever windows, dialogs or message boxes are open.
void CloseOnTerminationRequest();

// Runs the main event loop until the program is closed; returns at once when
// a termination request has closed it already.
int RunUntilClosed();
