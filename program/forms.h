#pragma once
// Creates every window of the program in its fixed order; each lives until exit.
void CreateForms();

// A logout, a shutdown, Ctrl+C or a closed terminal closes the program as
// File > Exit does (an import or reload in progress stops first), and the
// program then ends whatever windows, dialogs or message boxes are open.
void CloseOnTerminationRequest();
