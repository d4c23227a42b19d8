/*
 * WindowPlacement: where a window opens on a screen's free area. It is centred there; one
 * larger than the area is shrunk to it as far as its minimum size allows, and what still
 * does not fit hangs out at the right and bottom, so the title and the page tabs at the top
 * left stay on the screen (a large scale factor on a small screen).
 */
#pragma once

#include <QRect>

// The geometry of a window of size (never below minimum) on the free area available.
QRect CentredIn(const QRect& available, QSize size, QSize minimum);
