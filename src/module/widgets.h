#pragma once

#include <QString>

class QComboBox;
class QTabWidget;
class QWidget;

// Replaces a combo box's items by the pieces of a comma-separated list; it then shows nothing.
void setComboItems(QComboBox *box, const QString &commaSeparated);
// Selects an item, or nothing when the index lies outside the list.
void selectComboItem(QComboBox *box, int index);
// Shows or hides the tab of a page.
void setTabShown(QTabWidget *tabs, QWidget *page, bool shown);
bool isTabShown(QTabWidget *tabs, QWidget *page);
