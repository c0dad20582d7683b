// What a screen reader hears: walks the accessibility tree of the window on every page of a
// connected B and C module, in both languages, and checks that every control a user can reach
// or read a value from has a name, and that no two controls on a page share one.
#include "support_window.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QMap>
#include <QTabWidget>

namespace
{

struct NamedControl {
    QString name;
    QString what;      // objectName or class, for the report
    bool partOfList;   // a tab reads as its tab bar, an editable combo box's text field as the box
    bool onlyItsValue; // what the interface calls its name is the value it shows
};

QString describe(QAccessibleInterface *iface)
{
    QObject *object = iface->object();
    if (object && !object->objectName().isEmpty())
        return object->objectName();
    if (object)
        return QString::fromLatin1(object->metaObject()->className());
    return QStringLiteral("role %1").arg(int(iface->role()));
}

bool isShown(QAccessibleInterface *iface)
{
    // A hidden tab keeps its interface, with an empty place.
    return !iface->state().invisible && !iface->rect().isEmpty();
}

// A control the user works or reads a value from: it takes the focus or carries a value. Scroll
// bars belong to their view.
bool isNamedControl(QAccessibleInterface *iface)
{
    if (iface->role() == QAccessible::ScrollBar)
        return false;
    return iface->state().focusable || iface->valueInterface();
}

NamedControl namedControl(QAccessibleInterface *iface, bool partOfList)
{
    const QString name = iface->text(QAccessible::Name).trimmed();
    const QString value = iface->text(QAccessible::Value).trimmed();
    // A name that only repeats the value tells the listener nothing of what the control is for.
    return {name, describe(iface), partOfList, !value.isEmpty() && name == value};
}

void walk(QAccessibleInterface *iface, QList<NamedControl> &controls)
{
    const bool list =
        iface->role() == QAccessible::ComboBox || iface->role() == QAccessible::PageTabList;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        if (!child || !isShown(child))
            continue;
        if (isNamedControl(child))
            controls.append(namedControl(child, list));
        walk(child, controls);
    }
}

// Every control of the window's accessibility tree that is shown, page by page.
QMap<QString, QList<NamedControl>> controlsByPage(WindowRig &rig)
{
    QMap<QString, QList<NamedControl>> pages;
    auto *tabs = rig.find<QTabWidget>("PageControl1");
    for (int i = 0; i < tabs->count(); ++i) {
        if (!tabs->isTabVisible(i))
            continue;
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        QList<NamedControl> &controls = pages[tabs->widget(i)->objectName()];
        walk(QAccessible::queryAccessibleInterface(rig.form.get()), controls);
    }
    return pages;
}

// Unnamed controls and names shared by two controls of a page; counts the unnamed per page.
QStringList problemsOf(const QMap<QString, QList<NamedControl>> &pages, QStringList &counts)
{
    QStringList problems;
    for (auto page = pages.cbegin(); page != pages.cend(); ++page) {
        QMap<QString, QStringList> byName;
        int unnamed = 0;
        for (const NamedControl &control : page.value()) {
            if (qEnvironmentVariableIsSet("KORVEL_A11Y_DUMP"))
                qInfo("%s: %s \"%s\"", qPrintable(page.key()), qPrintable(control.what),
                      qPrintable(control.name));
            if (control.name.isEmpty() || control.onlyItsValue) {
                ++unnamed;
                problems << page.key() + QStringLiteral(": ") + control.what +
                                QStringLiteral(" has no name");
            } else if (!control.partOfList) {
                byName[control.name] << control.what;
            }
        }
        for (auto it = byName.cbegin(); it != byName.cend(); ++it)
            if (it.value().size() > 1)
                problems << page.key() + QStringLiteral(": \"") + it.key() +
                                QStringLiteral("\" names ") + it.value().join(QStringLiteral(", "));
        counts << page.key() + QLatin1Char(' ') + QString::number(unnamed);
    }
    return problems;
}

QStringList namesOf(const QMap<QString, QList<NamedControl>> &pages)
{
    QStringList names;
    for (auto page = pages.cbegin(); page != pages.cend(); ++page)
        for (const NamedControl &control : page.value())
            names << page.key() + QLatin1Char('/') + control.what + QLatin1Char('=') + control.name;
    return names;
}

void connectIn(WindowRig &rig, int language)
{
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    rig.form->setLanguageIndex(language);
    rig.connectModule();
    QTRY_VERIFY(rig.tabVisible("Monitor"));
    QTRY_VERIFY(!rig.text("Edit_Caldata").isEmpty());
}

bool noneReported(const QStringList &problems, const QStringList &counts)
{
    qInfo("unnamed controls: %s", qPrintable(counts.join(QStringLiteral(", "))));
    for (const QString &problem : problems)
        qWarning("%s", qPrintable(problem));
    return problems.isEmpty();
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void everyControlHasItsOwnName_data();
    void everyControlHasItsOwnName();
};

void TestAccessibility::everyControlHasItsOwnName_data()
{
    addModuleAndLanguageRows();
}

void TestAccessibility::everyControlHasItsOwnName()
{
    QFETCH(char, type);
    QFETCH(int, language);
    EmulatorConfig config;
    config.type = type;
    WindowRig rig(config);
    connectIn(rig, language);
    if (QTest::currentTestFailed())
        return;

    QStringList counts;
    QStringList problems = problemsOf(controlsByPage(rig), counts);
    QVERIFY(noneReported(problems, counts));

    // Switched as the user switches, the window names its controls as one that started in the
    // other language.
    rig.choose("CBoxLanguage",
               language == 0 ? QStringLiteral("English") : QStringLiteral("Deutsch"));
    const auto switched = controlsByPage(rig);
    counts.clear();
    problems = problemsOf(switched, counts);
    QVERIFY(noneReported(problems, counts));
    WindowRig fresh(config);
    connectIn(fresh, 1 - language);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(namesOf(switched), namesOf(controlsByPage(fresh)));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
