// Paints the window's artwork into the folder given, one PNG per image, at the sizes the
// window expects. The PNGs are committed; run this again after changing a drawing.
#include "Icons.h"
#include "Scenes.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>
#include <functional>

int main(int argc, char *argv[])
{
    // Fonts need a GUI application, but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: zantolux-art <output folder>\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        err << "cannot create " << out.path() << '\n';
        return 1;
    }

    struct Artwork
    {
        const char *file;
        QSize size;
        std::function<QImage()> paint;
    };
    const QColor amber(255, 176, 0);
    const QColor red(235, 40, 24);
    const Artwork artworks[] = {
        {"icon.png", {32, 32}, [] { return art::applicationIcon(32); }},
        // The same icon for the desktop's menus, installed into the hicolor theme.
        {"icon-48.png", {48, 48}, [] { return art::applicationIcon(48); }},
        {"icon-128.png", {128, 128}, [] { return art::applicationIcon(128); }},
        {"icon-256.png", {256, 256}, [] { return art::applicationIcon(256); }},
        {"nuevo.png", {90, 90}, art::blankDocument},
        {"abrir.png", {90, 90}, art::folder},
        {"guardar.png", {90, 91}, art::disc},
        {"enviar.png", {90, 91}, [&] { return art::bigArrow(90, 91, true, amber); }},
        {"leer.png", {92, 90}, [&] { return art::bigArrow(92, 90, false, red); }},
        {"bajar.png", {32, 32}, [] { return art::smallArrow(false); }},
        {"subir.png", {32, 32}, [] { return art::smallArrow(true); }},
        {"picture1.png", {662, 413}, art::picture1},
        {"splash.png", {743, 430}, art::splash},
    };
    for (const Artwork &a : artworks) {
        const QImage image = a.paint();
        const QString path = out.filePath(QString::fromLatin1(a.file));
        if (image.size() != a.size || !image.save(path, "PNG")) {
            err << "cannot write " << path << '\n';
            return 1;
        }
    }
    return 0;
}
