#include "widgets/accessiblenames.h"

#include "texts/mnemonics.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>

namespace
{

const char kNameAfterGroup[] = "korvelNameAfterGroup";

// A combo box as Qt presents it (its list and text field as children, opening the list as its
// action), with the name it was given; without one, its label or group and then its item.
class NamedComboBox : public QAccessibleWidget
{
public:
    explicit NamedComboBox(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    int childCount() const override { return box()->isEditable() ? 2 : 1; }
    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->isEditable())
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (child->object() == box()->view())
            return 0;
        if (box()->isEditable() && child->object() == box()->lineEdit())
            return 1;
        return -1;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
        QString str = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && str.isEmpty())
            str = text(QAccessible::Value);
        return str;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action != showMenuAction() && action != pressAction())
            return QAccessibleWidget::doAction(action);
        if (box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }

private:
    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
};

// A push button named "<group title> <caption>".
class ButtonInGroup : public QAccessibleWidget
{
public:
    explicit ButtonInGroup(QAbstractButton *button) : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        QString name = withoutMnemonic(button()->text());
        for (QWidget *up = button()->parentWidget(); up; up = up->parentWidget()) {
            if (auto *group = qobject_cast<QGroupBox *>(up)) {
                name = withoutMnemonic(group->title()) + QLatin1Char(' ') + name;
                break;
            }
        }
        return name;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown();
        return state;
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction() && button()->isEnabled())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }
};

QAccessibleInterface *namedInterface(const QString &, QObject *object)
{
    if (auto *box = qobject_cast<QComboBox *>(object))
        return new NamedComboBox(box);
    if (auto *button = qobject_cast<QAbstractButton *>(object);
        button && button->property(kNameAfterGroup).toBool())
        return new ButtonInGroup(button);
    return nullptr;
}

} // namespace

void installAccessibleNames()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(namedInterface);
}

void nameAfterGroup(QAbstractButton *button)
{
    button->setProperty(kNameAfterGroup, true);
    // Qt made the button's interface when the button was created; the next one is made anew.
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(button))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}
