#pragma once

#include <QString>

class QWidget;

// What a button shows of its text: the mnemonic mark taken out, "&&" shown as "&".
QString withoutMnemonic(const QString &text);

// Marks on each main button below the window the letter that Alt presses it with, in the
// language of the index (1 English, any other German): one of its caption's own letters, which
// Qt underlines. The buttons of one window share no letter.
void markMnemonics(QWidget *window, int languageIndex);
