#include "widgets/controls.h"

#include "module/tables.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

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

PageGrid::PageGrid(QWidget *page) : m_page(page), m_grid(new QGridLayout(page)) {}

QLabel *PageGrid::label(QLabel *&member, const char *name, const QString &caption)
{
    create(member, name)->setText(caption);
    return member;
}

QComboBox *PageGrid::combo(QComboBox *&member, const char *name, const QString &items)
{
    setComboItems(create(member, name), items);
    return member;
}

QComboBox *PageGrid::channelCombo(QComboBox *&member, const char *name)
{
    create(member, name)->addItems(designTimeChannelItems());
    selectComboItem(member, -1);
    return member;
}

void PageGrid::addRow(QLabel *caption, QWidget *control, QLabel *unit)
{
    m_grid->addWidget(caption, m_row, 0);
    m_grid->addWidget(control, m_row, 1);
    if (unit)
        m_grid->addWidget(unit, m_row, 2);
    ++m_row;
}

QWidget *PageGrid::stack(std::initializer_list<QWidget *> widgets)
{
    auto *holder = new QWidget(m_page);
    auto *column = new QVBoxLayout(holder);
    column->setContentsMargins(0, 0, 0, 0);
    for (QWidget *widget : widgets)
        column->addWidget(widget);
    return holder;
}

void PageGrid::finish(QWidget *last)
{
    m_grid->addWidget(last, m_row++, 1);
    m_grid->setRowStretch(m_row, 1);
}
