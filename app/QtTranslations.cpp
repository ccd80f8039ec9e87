#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

bool installQtTranslations(const QLocale &locale)
{
    static std::unique_ptr<QTranslator> installed;
    if (installed)
        QCoreApplication::removeTranslator(installed.get());
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const bool english = locale.language() == QLocale::English || locale.language() == QLocale::C;
    if (!(!english && translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        && !translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        installed.reset();
        return false;
    }
    installed = std::move(translator);
    return QCoreApplication::installTranslator(installed.get());
}
