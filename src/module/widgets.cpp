#include "module/widgets.h"

#include "module/tables.h"

#include <QComboBox>
#include <QTabWidget>

void setComboItems(QComboBox *box, const QString &commaSeparated)
{
    if (!box)
        return;
    box->clear();
    box->addItems(splitItems(commaSeparated));
    selectComboItem(box, -1);
}

void selectComboItem(QComboBox *box, int index)
{
    if (!box)
        return;
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
    if (box->currentIndex() < 0 && box->isEditable())
        box->setEditText(QString());
}

void setTabShown(QTabWidget *tabs, QWidget *page, bool shown)
{
    if (!tabs || !page)
        return;
    const int index = tabs->indexOf(page);
    if (index >= 0)
        tabs->setTabVisible(index, shown);
}

bool isTabShown(QTabWidget *tabs, QWidget *page)
{
    if (!tabs || !page)
        return false;
    const int index = tabs->indexOf(page);
    return index >= 0 && tabs->isTabVisible(index);
}
