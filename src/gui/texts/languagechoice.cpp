#include "texts/languagechoice.h"

#include "module/textfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
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
    // The file may be anything a user put there: a FIFO is not waited on, nor a large file read.
    constexpr qint64 kLimit = 4096;
    const SmallFileRead file = readSmallFile(path, kLimit);
    if (file.status != SmallFileStatus::Read)
        return std::nullopt;
    return parseLanguageChoice(file.bytes);
}

QString writeLanguageChoice(const QString &path, int languageIndex)
{
    return saveFileAtomically(path, formatLanguageChoice(languageIndex), LinkAtPath::Replace);
}
