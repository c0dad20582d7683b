#pragma once

#include "texts/languagetexts.h"

#include <QString>

#include <span>

class QWidget;

// The tables of every group, in the order Apply language sets them.
std::span<const std::span<const UiText>> languageTables();

// Sets every caption, item list and placeholder of the tables, and the main buttons' mnemonics,
// to the language of the index (0 German, 1 English); any other index changes nothing. Controls
// are looked up by name below the window (the window's own name gives its title); a name the
// window lacks is skipped. Item lists are replaced, so their combo boxes lose the selection.
void applyLanguageTexts(QWidget *window, int languageIndex,
                        std::span<const std::span<const UiText>> tables = languageTables());

// The same, but a combo box whose new item list is as long as the old one keeps the selected
// index: the lists of both languages are parallel, so a configuration on the page survives.
void switchLanguageTexts(QWidget *window, int languageIndex,
                         std::span<const std::span<const UiText>> tables = languageTables());

// What a caption row sets on a control, read back: window title, tab text of a page, group
// title, or the text of a label or button (as shown, without its mnemonic mark). Empty for other
// controls.
QString captionOf(const QWidget *control);
