#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "app/Translations.h"
#include "link/QtSignPort.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Before the application object, which needs a display: --help and --version work without.
    const zlx::CommandLine command = zlx::CommandLine::parse(zlx::CommandLine::arguments(argc, argv));
    if (command.exits)
        return command.answer();
    command.applyLogging();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Letreros ZANTOLUX"));
    // Ties the window to its menu entry and icon on desktops that match them by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zantolux.Letreros"));
    // The program speaks Spanish; so must Qt's own buttons and file dialogs. Without the
    // translations installed they stay in English, which is no reason not to start.
    zlx::loadQtSpanish();

    // The main window is built, reset and its link set up before the splash shows.
    zlx::Form1 form1(std::make_unique<zlx::QtSignPort>(), command.portMap());
    zlx::Form2 splash(&form1);
    splash.show();
    return QApplication::exec();
}
