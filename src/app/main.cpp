#include "app/Form1.h"
#include "app/Form2.h"
#include "link/QtSignPort.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Letreros ZANTOLUX"));

    // The main window is built, reset and its link set up before the splash shows.
    zlx::Form1 form1(std::make_unique<zlx::QtSignPort>(zlx::PortMap::fromEnvironment()));
    zlx::Form2 splash(&form1);
    splash.show();
    return QApplication::exec();
}
