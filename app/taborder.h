#pragma once
// Tab order by reading order: the fields of a window are visited as they are
// read, container by container (a group box or panel is read whole before the
// next one), rows from top to bottom and, within a row, from left to right.
// Controls placed by a layout are ordered by their place in it (a grid by row,
// then column; a box in its direction); controls placed by hand by their
// position. The pages of a tab widget follow its tab bar, page by page.
#include <vector>

class QWidget;

// The controls that take focus by Tab inside window, in reading order.
std::vector<QWidget*> ReadingOrder(QWidget* window);

// Chains the window's controls in reading order.
void SetReadingTabOrder(QWidget* window);
