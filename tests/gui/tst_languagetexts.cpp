#include "module/itemcounts.h"
#include "module/konfigbpage.h"
#include "texts/language.h"
#include "texts/languagechoice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

namespace
{

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// A small window with one control of every kind a table row can set.
struct Scratch {
    Scratch()
    {
        window.setObjectName(QStringLiteral("Window"));
        auto *layout = new QVBoxLayout(&window);
        auto *tabs = new QTabWidget;
        page = new QWidget;
        page->setObjectName(QStringLiteral("Page"));
        tabs->addTab(page, QStringLiteral("design"));
        layout->addWidget(tabs);
        group = new QGroupBox(QStringLiteral("design"), page);
        group->setObjectName(QStringLiteral("Group"));
        label = new QLabel(QStringLiteral("design"), group);
        label->setObjectName(QStringLiteral("Label"));
        check = new QCheckBox(QStringLiteral("design"), group);
        check->setObjectName(QStringLiteral("Check"));
        box = new QComboBox(group);
        box->setObjectName(QStringLiteral("Box"));
        box->addItems({QStringLiteral("a"), QStringLiteral("b")});
    }
    QWidget window;
    QWidget *page;
    QGroupBox *group;
    QLabel *label;
    QCheckBox *check;
    QComboBox *box;
};

} // namespace

class TestLanguageTexts : public QObject
{
    Q_OBJECT
private slots:
    void itemListsAreSplit_data();
    void itemListsAreSplit();
    void captionsOfEveryKind();
    void bPageListsHoldTheCoreCounts();
    void systemLanguage_data();
    void systemLanguage();
    void languageChoiceFile_data();
    void languageChoiceFile();
};

void TestLanguageTexts::itemListsAreSplit_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("inner blanks kept") << QStringLiteral("Pin 12 = Wakeuppin,Pin   9 = Wakeuppin")
                                       << QStringList{"Pin 12 = Wakeuppin", "Pin   9 = Wakeuppin"};
    QTest::newRow("outer blanks trimmed, blank piece dropped")
        << QStringLiteral("  aus , ,alle 5 bis 150 min.  ,")
        << QStringList{"aus", "alle 5 bis 150 min."};
    QTest::newRow("comma after one quote stays in the item")
        << QStringLiteral("\"a,b\",c") << QStringList{"\"a,b\"", "c"};
    QTest::newRow("comma after two quotes ends the item")
        << QStringLiteral("\"a\",b") << QStringList{"\"a\"", "b"};
}

void TestLanguageTexts::itemListsAreSplit()
{
    QFETCH(QString, list);
    QFETCH(QStringList, items);
    Scratch scratch;
    scratch.box->setCurrentIndex(1);
    const QByteArray utf8 = list.toUtf8();
    const UiText rows[] = {{"Box", TextKind::Items, utf8.constData(), "x,y"}};
    const std::span<const UiText> tables[] = {rows};
    applyLanguageTexts(&scratch.window, 0, tables);
    QCOMPARE(itemsOf(scratch.box), items);
    QCOMPARE(scratch.box->currentIndex(), -1);
}

void TestLanguageTexts::captionsOfEveryKind()
{
    Scratch scratch;
    const UiText rows[] = {
        {"Window", TextKind::Caption, "Fenster", "Window"},
        {"Page", TextKind::Caption, "Seite", "Page"},
        {"Group", TextKind::Caption, "Gruppe", "Group"},
        {"Label", TextKind::Caption, "Beschriftung", "Label"},
        {"Check", TextKind::Caption, "Auswahl", "Choice"},
        {"Box", TextKind::Placeholder, nullptr, "(choose)"},
        {"Box", TextKind::AccessibleName, "Auswahlliste", "Choice list"},
        {"Missing", TextKind::Caption, "fehlt", "missing"},
    };
    const std::span<const UiText> tables[] = {rows};
    // An editable box is typed into: its text field is named as the box.
    scratch.box->setEditable(true);
    const auto captions = [&] {
        return QStringList{
            captionOf(&scratch.window),    captionOf(scratch.page),
            captionOf(scratch.group),      captionOf(scratch.label),
            captionOf(scratch.check),      scratch.box->placeholderText(),
            scratch.box->accessibleName(), scratch.box->lineEdit()->accessibleName()};
    };
    const QStringList design = captions();
    applyLanguageTexts(&scratch.window, -1, tables);
    QCOMPARE(captions(), design);
    applyLanguageTexts(&scratch.window, 1, tables);
    QCOMPARE(captions(), (QStringList{"Window", "Page", "Group", "Label", "Choice", "(choose)",
                                      "Choice list", "Choice list"}));
    // A missing German text leaves the control as it is.
    applyLanguageTexts(&scratch.window, 0, tables);
    QCOMPARE(captions(), (QStringList{"Fenster", "Seite", "Gruppe", "Beschriftung", "Auswahl",
                                      "(choose)", "Auswahlliste", "Auswahlliste"}));
}

void TestLanguageTexts::bPageListsHoldTheCoreCounts()
{
    // The core decodes registers and stored files by the counts; the window's boxes must agree
    // in either language.
    QWidget page;
    KonfigBControls b;
    buildKonfigB(&page, b);
    const BItemCounts design = bItemCounts(IdentityRecord{});
    QCOMPARE(bItemCounts(b), design);
    for (int language : {0, 1}) {
        applyLanguageTexts(&page, language);
        QCOMPARE(bItemCounts(b), design);
    }
}

void TestLanguageTexts::systemLanguage_data()
{
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<int>("index");
    QTest::newRow("German, Germany") << QStringList{"de-DE", "de"} << 0;
    QTest::newRow("German, Austria") << QStringList{"de-AT"} << 0;
    QTest::newRow("German alone") << QStringList{"de"} << 0;
    QTest::newRow("English first") << QStringList{"en-US", "de-DE"} << 1;
    QTest::newRow("French") << QStringList{"fr-FR"} << 1;
    QTest::newRow("C locale") << QStringList{"C"} << 1;
    QTest::newRow("nothing known") << QStringList{} << 1;
}

void TestLanguageTexts::systemLanguage()
{
    QFETCH(QStringList, uiLanguages);
    QTEST(languageIndexForSystem(uiLanguages), "index");
}

void TestLanguageTexts::languageChoiceFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("index"); // -1: no choice
    QTest::newRow("German") << QByteArray("0\r\n") << 0;
    QTest::newRow("English") << QByteArray("1\r\n") << 1;
    QTest::newRow("without line break") << QByteArray("1") << 1;
    QTest::newRow("blanks around") << QByteArray(" 0 \n") << 0;
    QTest::newRow("other number") << QByteArray("2\r\n") << -1;
    QTest::newRow("minus one") << QByteArray("-1\r\n") << -1;
    QTest::newRow("text") << QByteArray("Deutsch\r\n") << -1;
    QTest::newRow("empty") << QByteArray() << -1;
    QTest::newRow("only the first line counts") << QByteArray("\r\n1\r\n") << -1;
}

void TestLanguageTexts::languageChoiceFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, index);
    QCOMPARE(parseLanguageChoice(content).value_or(-1), index);
    if (index >= 0)
        QCOMPARE(parseLanguageChoice(formatLanguageChoice(index)), std::optional<int>(index));
}

QTEST_MAIN(TestLanguageTexts)
#include "tst_languagetexts.moc"
