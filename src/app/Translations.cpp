#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace zlx {

bool loadQtSpanish()
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_es"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QTranslator *installed = translator.release();
    installed->setParent(QCoreApplication::instance());  // lives as long as the application
    return QCoreApplication::installTranslator(installed);
}

}  // namespace zlx
