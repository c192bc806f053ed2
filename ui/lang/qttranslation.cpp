#include "ui/lang/qttranslation.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QSet>
#include <QTranslator>
#include <QWindow>

namespace {

QTranslator* g_installed = nullptr;
QString g_locale;

bool isQtDialog(const QWidget* window)
{
    return qobject_cast<const QColorDialog*>(window) || qobject_cast<const QFileDialog*>(window);
}

// Installing a translator posts a language change to every window, and once more to each
// window's platform window, which hands it on to its widget: all but Qt's dialogs lose theirs.
void keepLanguageChangeForQtDialogs()
{
    QSet<QObject*> keep;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (isQtDialog(window)) {
            keep << window;
            if (window->windowHandle())
                keep << window->windowHandle();
        }
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        if (!keep.contains(window))
            QCoreApplication::removePostedEvents(window, QEvent::LanguageChange);
    for (QWindow* window : QGuiApplication::topLevelWindows())
        if (!keep.contains(window))
            QCoreApplication::removePostedEvents(window, QEvent::LanguageChange);
}

} // namespace

QString QtTranslation::LocaleName(int language)
{
    // The language indices of the program's language files.
    switch (language) {
    case 1:
        return QStringLiteral("zh_CN");
    case 2:
        return QStringLiteral("zh_TW");
    case 3:
        return QStringLiteral("ko");
    case 4:
        return QStringLiteral("ru");
    case 5:
        return QStringLiteral("ja");
    default:
        return QString();
    }
}

bool QtTranslation::Apply(int language)
{
    const QString locale = LocaleName(language);
    if (locale == g_locale && (locale.isEmpty() || g_installed))
        return true;
    QTranslator* next = nullptr;
    if (!locale.isEmpty()) {
        next = new QTranslator(qApp);
        if (!next->load(QStringLiteral("qtbase_") + locale, QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
            delete next;
            next = nullptr;
        }
    }
    if (!next && !g_installed) {
        g_locale = locale;
        return locale.isEmpty();
    }
    if (g_installed) {
        QCoreApplication::removeTranslator(g_installed);
        delete g_installed;
    }
    g_installed = next;
    if (next)
        QCoreApplication::installTranslator(next);
    g_locale = locale;
    keepLanguageChangeForQtDialogs();
    return next || locale.isEmpty();
}
