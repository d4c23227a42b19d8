/*
 * quillmend: the desktop program. Sets up the look (Fusion, a light palette on the window
 * colour, black text, white fields), shows the main window centred at its default size (or
 * as much of it as the screen holds) and runs the start-up in it.
 */
#include <QApplication>
#include <QScreen>
#include <QStyleFactory>

#include "base/Random.h"
#include "settings/Startup.h"
#include "ui/AppPicture.h"
#include "ui/MainWindow.h"
#include "ui/ToolTip.h"
#include "ui/WindowPlacement.h"

namespace {

// A full light palette on the window colour.
QPalette LightPalette(QColor window)
{
    QPalette palette(Qt::black, window, window.lighter(130), window.darker(160), window.darker(120), Qt::black,
                     Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, window.lighter(115));
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ToolTipBase, ColourOf(ToolTip::kBackground));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::PlaceholderText, Qt::darkGray);
    palette.setColor(QPalette::Highlight, QColor(0x30, 0x60, 0xA8));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, Qt::blue);
    palette.setColor(QPalette::Disabled, QPalette::Text, Qt::darkGray);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, Qt::darkGray);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, Qt::darkGray);
    palette.setColor(QPalette::Disabled, QPalette::Base, window.lighter(120));
    return palette;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    SeedRandomFromTime();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(LightPalette(ColourOf(WindowColour())));
    QApplication::setWindowIcon(AppIcon());
    // Desktops match the window to the installed entry and its icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("quillmend"));

    MainWindow window(ExecutableDirectory());
    ShowWexDiagnosticsOn(window.DesktopSeam());
    const QRect placed = CentredIn(window.screen()->availableGeometry(), window.size(), window.minimumSizeHint());
    window.resize(placed.size());
    window.move(placed.topLeft());
    window.show();
    window.Start();
    return application.exec();
}
