#pragma once
// Creates every window of the program in its fixed order; each lives until exit.
void CreateForms();
