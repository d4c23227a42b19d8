/*
 * quillmend-render-icons: writes the program's icon as PNG files of the sizes a desktop's
 * icon theme looks for, DIR/NxN/apps/quillmend.png, from the same drawing the window uses.
 * Run at build time on the offscreen platform; never installed.
 */
#include <QDir>
#include <QGuiApplication>

#include "ui/AppPicture.h"

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) return 2;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(dir) || !AppPicture(size).save(dir + QStringLiteral("/quillmend.png"))) return 1;
    }
    return 0;
}
