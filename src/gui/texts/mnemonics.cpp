#include "texts/mnemonics.h"

#include <QAbstractButton>

namespace
{

struct MnemonicLetter {
    const char *control; // objectName of the button
    char german;
    char english;
};

// clang-format off
const MnemonicLetter kLetters[] = {
    // Connection group
    {"BtnVerbinden", 'v', 'c'},     // &verbinden, &Connect
    {"BtnTrennen", 't', 'd'},       // &trennen, &Disconnect
    {"BtnInfo", 'i', 'i'},          // &Info
    {"BtnDebugfenster", 'd', 'b'},  // &Debug, De&bug
    {"BtnLanguage", 'g', 'g'},      // Sprache / Lan&guage
    // Below the pages
    {"BtnAuslesen", 'a', 'r'},      // &auslesen, &Read
    {"BtnKonfigurieren", 'k', 'f'}, // &konfigurieren, Con&figurate
    {"BtnSave", 's', 's'},          // &speichern, &Save
    {"BtnLoad", 'l', 'l'},          // &laden, &Load
    // Debug window
    {"BtnClear", 'e', 'e'},         // cl&ear
    {"BtnClose", 'o', 'o'},         // cl&ose
};
// clang-format on

// The caption with its first letter that matches letter (in either case) marked as the
// mnemonic; an "&" of the caption itself stays an "&" to see.
QString withMnemonic(const QString &caption, QChar letter)
{
    QString marked;
    bool placed = false;
    for (const QChar c : caption) {
        if (c == QLatin1Char('&')) {
            marked += QLatin1String("&&");
            continue;
        }
        if (!placed && c.toLower() == letter.toLower()) {
            marked += QLatin1Char('&');
            placed = true;
        }
        marked += c;
    }
    return marked;
}

} // namespace

QString withoutMnemonic(const QString &text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&'))
                shown += text[++i];
            continue;
        }
        shown += text[i];
    }
    return shown;
}

void markMnemonics(QWidget *window, int languageIndex)
{
    for (const MnemonicLetter &row : kLetters) {
        auto *button = window->findChild<QAbstractButton *>(QLatin1String(row.control));
        if (!button)
            continue;
        const char letter = languageIndex == 1 ? row.english : row.german;
        button->setText(withMnemonic(withoutMnemonic(button->text()), QLatin1Char(letter)));
    }
}
