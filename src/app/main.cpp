#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "app/SingleInstance.h"
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

    // A second start hands its file to the window already running and ends there.
    zlx::SingleInstance instance;
    if (instance.handOver(command.file))
        return 0;
    instance.listen();

    // The main window is built, reset and its link set up before the splash shows.
    zlx::Form1 form1(std::make_unique<zlx::QtSignPort>(), command.portMap());
    QObject::connect(&instance, &zlx::SingleInstance::fileHandedOver, &form1, &zlx::Form1::openFromOutside);
    zlx::Form2 splash(&form1);
    // The file named at start opens in the window as it appears, so that a box about it is seen.
    if (const QString file = command.file; !file.isEmpty())
        QObject::connect(&splash, &zlx::Form2::handedOver, &form1, [&form1, file] { form1.openFromOutside(file); });
    splash.show();
    return QApplication::exec();
}
