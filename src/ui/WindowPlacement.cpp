#include "ui/WindowPlacement.h"

#include <algorithm>

QRect CentredIn(const QRect& available, QSize size, QSize minimum)
{
    const QSize fitted = size.boundedTo(available.size()).expandedTo(minimum);
    QRect placed(QPoint(0, 0), fitted);
    placed.moveCenter(available.center());
    placed.moveTopLeft({std::max(placed.left(), available.left()), std::max(placed.top(), available.top())});
    return placed;
}
