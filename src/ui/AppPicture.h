/*
 * AppPicture: the program's own icon and the About box's picture, drawn in code: a
 * magnifying glass over lines of text, one of them marked.
 */
#pragma once

#include <QIcon>
#include <QPixmap>

// The picture at size x size logical pixels.
QPixmap AppPicture(int size);
// The window icon in the usual sizes.
QIcon AppIcon();
