#include "app/languagechoice.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTranslator>

bool useQtTranslation(int languageIndex)
{
    static QTranslator *german = nullptr;
    if (languageIndex != 0) {
        if (german)
            QCoreApplication::removeTranslator(german);
        return true;
    }
    if (!german) {
        german = new QTranslator(QCoreApplication::instance());
        if (!german->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete german;
            german = nullptr;
            return false;
        }
    }
    return QCoreApplication::installTranslator(german);
}

int languageIndexForSystem(const QStringList &uiLanguages)
{
    if (uiLanguages.isEmpty())
        return 1;
    return QLocale(uiLanguages.first()).language() == QLocale::German ? 0 : 1;
}

int systemLanguageIndex()
{
    return languageIndexForSystem(QLocale::system().uiLanguages());
}

QByteArray formatLanguageChoice(int languageIndex)
{
    return QByteArray::number(languageIndex) + "\r\n";
}

std::optional<int> parseLanguageChoice(const QByteArray &content)
{
    const QByteArray line = content.split('\n').first().trimmed();
    if (line == "0")
        return 0;
    if (line == "1")
        return 1;
    return std::nullopt;
}

std::optional<int> readLanguageChoice(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parseLanguageChoice(file.read(64));
}

bool writeLanguageChoice(const QString &path, int languageIndex)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(formatLanguageChoice(languageIndex));
    return file.commit();
}
