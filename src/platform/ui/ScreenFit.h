#pragma once
// A window never asks for more room than its screen can give: on a small screen (1366 x 768
// with a panel) a window whose minimum exceeds the available area would hide its lower edge,
// status line and all, and could not be made smaller.

#include <QSize>

class QWidget;

namespace mf {

// The minimum a window gets: what it wants, bounded by the available area.
QSize minimumWithin(QSize wanted, QSize available);

// Gives the window the minimum it wants, bounded by the available area of its screen less its
// frame (or by available, when given), and shrinks it to that area when it is larger.
void fitToScreen(QWidget *window, QSize wantedMinimum, QSize available = {});

} // namespace mf
