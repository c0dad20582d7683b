#include "texts/language.h"

#include "texts/mnemonics.h"
#include "widgets/controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>

#include <vector>

namespace
{

const std::span<const UiText> kTables[] = {shellTexts(), modulePageTexts(), testPageTexts(),
                                           monitorTexts()};

QWidget *findControl(QWidget *window, const char *name)
{
    const QString wanted = QString::fromLatin1(name);
    if (window->objectName() == wanted)
        return window;
    return window->findChild<QWidget *>(wanted);
}

// The tab widget that shows the control as one of its pages, if any.
QTabWidget *tabsOfPage(const QWidget *control)
{
    for (QWidget *up = control->parentWidget(); up; up = up->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(up))
            return tabs->indexOf(const_cast<QWidget *>(control)) >= 0 ? tabs : nullptr;
    }
    return nullptr;
}

void setCaption(QWidget *control, const QString &text)
{
    if (control->isWindow())
        control->setWindowTitle(text);
    else if (QTabWidget *tabs = tabsOfPage(control))
        tabs->setTabText(tabs->indexOf(control), text);
    else if (auto *group = qobject_cast<QGroupBox *>(control))
        group->setTitle(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(text);
}

void setPlaceholder(QComboBox *box, const QString &text)
{
    // Qt shows the placeholder exactly while nothing is selected. Taking the placeholder away
    // would select the first item: the box stays without a selection and shows nothing.
    const QSignalBlocker blocker(box);
    const int index = box->currentIndex();
    box->setPlaceholderText(text);
    if (box->lineEdit())
        box->lineEdit()->setPlaceholderText(text);
    if (index < 0)
        selectComboItem(box, -1);
}

// Combo boxes are changed without their change signals: these are the program's own changes,
// not the user's choices.
void applyRow(QWidget *window, const UiText &row, int languageIndex)
{
    const char *text = languageIndex == 0 ? row.german : row.english;
    QWidget *control = findControl(window, row.control);
    if (!text || !control)
        return;
    const QString value = QString::fromUtf8(text);
    auto *box = qobject_cast<QComboBox *>(control);
    switch (row.kind) {
    case TextKind::Caption:
        setCaption(control, value);
        break;
    case TextKind::Items:
        if (box) {
            const QSignalBlocker blocker(box);
            setComboItems(box, value);
        }
        break;
    case TextKind::Placeholder:
        if (box)
            setPlaceholder(box, value);
        break;
    case TextKind::AccessibleName:
        control->setAccessibleName(value);
        if (box && box->lineEdit())
            box->lineEdit()->setAccessibleName(value);
        break;
    }
}

} // namespace

std::span<const std::span<const UiText>> languageTables()
{
    return kTables;
}

void applyLanguageTexts(QWidget *window, int languageIndex,
                        std::span<const std::span<const UiText>> tables)
{
    if (languageIndex != 0 && languageIndex != 1)
        return;
    for (const auto &table : tables)
        for (const UiText &row : table)
            applyRow(window, row, languageIndex);
    markMnemonics(window, languageIndex);
}

void switchLanguageTexts(QWidget *window, int languageIndex,
                         std::span<const std::span<const UiText>> tables)
{
    struct Kept {
        QComboBox *box;
        int count;
        int index;
    };
    std::vector<Kept> kept;
    for (const auto &table : tables)
        for (const UiText &row : table)
            if (row.kind == TextKind::Items)
                if (auto *box = qobject_cast<QComboBox *>(findControl(window, row.control)))
                    kept.push_back({box, box->count(), box->currentIndex()});

    applyLanguageTexts(window, languageIndex, tables);

    for (const Kept &k : kept) {
        if (k.index >= 0 && k.box->count() == k.count) {
            const QSignalBlocker blocker(k.box);
            selectComboItem(k.box, k.index);
        }
    }
}

QString captionOf(const QWidget *control)
{
    if (control->isWindow())
        return control->windowTitle();
    if (QTabWidget *tabs = tabsOfPage(control))
        return tabs->tabText(tabs->indexOf(const_cast<QWidget *>(control)));
    if (auto *group = qobject_cast<const QGroupBox *>(control))
        return group->title();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return withoutMnemonic(button->text());
    return QString();
}
