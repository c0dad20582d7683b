#pragma once

#include <QString>

#include <initializer_list>

class QComboBox;
class QGridLayout;
class QLabel;
class QTabWidget;
class QWidget;

// Replaces a combo box's items by the pieces of a comma-separated list; it then shows nothing.
void setComboItems(QComboBox *box, const QString &commaSeparated);
// Selects an item, or nothing when the index lies outside the list.
void selectComboItem(QComboBox *box, int index);
// Shows or hides the tab of a page.
void setTabShown(QTabWidget *tabs, QWidget *page, bool shown);
bool isTabShown(QTabWidget *tabs, QWidget *page);

// Lays out a configuration page as rows of caption, control and unit label, and creates its
// controls with their names.
class PageGrid
{
public:
    explicit PageGrid(QWidget *page);

    template <typename T> T *create(T *&member, const char *name)
    {
        member = new T(m_page);
        member->setObjectName(QString::fromLatin1(name));
        return member;
    }
    QLabel *label(QLabel *&member, const char *name, const QString &caption);
    QComboBox *combo(QComboBox *&member, const char *name, const QString &items);
    // A channel selector with the design-time channel list and nothing selected.
    QComboBox *channelCombo(QComboBox *&member, const char *name);

    void addRow(QLabel *caption, QWidget *control, QLabel *unit = nullptr);
    // Several controls stacked in one cell.
    QWidget *stack(std::initializer_list<QWidget *> widgets);
    // A widget of its own in the control column, then the rest of the page left empty.
    void finish(QWidget *last);

private:
    QWidget *m_page;
    QGridLayout *m_grid;
    int m_row = 0;
};
