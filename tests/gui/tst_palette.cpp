// The colours the window sets itself, against the standard and a dark palette: every text can
// be read on its background, and a palette changed while the window is open is followed.
#include "support_window.h"

#include "widgets/contrast.h"
#include "window/aboutbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyleFactory>

namespace
{

// The dark palette that desktops commonly give Qt's Fusion style.
QPalette darkPalette()
{
    QPalette p;
    const QColor window(53, 53, 53);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, QColor(35, 35, 35));
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::Light, QColor(80, 80, 80));
    p.setColor(QPalette::Midlight, QColor(66, 66, 66));
    p.setColor(QPalette::Mid, QColor(40, 40, 40));
    p.setColor(QPalette::Dark, QColor(25, 25, 25));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, Qt::white);
    p.setColor(QPalette::PlaceholderText, QColor(160, 160, 160));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(127, 127, 127));
    return p;
}

struct Colours {
    QColor text;
    QColor background;
};

// The colour a control draws its text in, and what lies behind it.
Colours coloursOf(const QWidget *w)
{
    const QPalette &p = w->palette();
    if (auto *memo = qobject_cast<const QPlainTextEdit *>(w))
        return {p.color(QPalette::Text),
                memo->viewport()->palette().color(memo->viewport()->backgroundRole())};
    if (qobject_cast<const QLineEdit *>(w))
        return {p.color(QPalette::Text), p.color(QPalette::Base)};
    if (qobject_cast<const QPushButton *>(w))
        return {p.color(QPalette::ButtonText), p.color(QPalette::Button)};
    return {p.color(w->foregroundRole()), p.color(w->backgroundRole())};
}

QString textOf(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    if (auto *edit = qobject_cast<const QLineEdit *>(w))
        return edit->text();
    if (auto *memo = qobject_cast<const QPlainTextEdit *>(w))
        return memo->toPlainText();
    if (auto *group = qobject_cast<const QGroupBox *>(w))
        return group->title();
    return {};
}

// Every enabled text of the window and its dialogs, shown or not, that is hard to read.
QStringList unreadable(QWidget *window)
{
    QStringList found;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isEnabled() || textOf(w).isEmpty())
            continue;
        const Colours colours = coloursOf(w);
        const double contrast = contrastRatio(colours.text, colours.background);
        if (contrast < neededContrast(w->font()))
            found << QStringLiteral("%1: %2 on %3, %4:1")
                         .arg(w->objectName(), colours.text.name(), colours.background.name())
                         .arg(contrast, 0, 'f', 2);
    }
    return found;
}

} // namespace

class TestPalette : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void textsReadOnTheirBackground_data();
    void textsReadOnTheirBackground();
    void paletteChangedWhileOpen();
};

void TestPalette::initTestCase()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

void TestPalette::cleanup()
{
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void TestPalette::textsReadOnTheirBackground_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<char>("type");
    QTest::newRow("standard palette, B module") << false << 'B';
    QTest::newRow("standard palette, C module") << false << 'C';
    QTest::newRow("dark palette, B module") << true << 'B';
    QTest::newRow("dark palette, C module") << true << 'C';
}

void TestPalette::textsReadOnTheirBackground()
{
    QFETCH(bool, dark);
    QFETCH(char, type);
    if (dark)
        QApplication::setPalette(darkPalette());
    EmulatorConfig config;
    config.type = type;
    WindowRig rig(config);
    rig.form->setLanguageIndex(0);
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    // Not connected: the large panel; then a module, whose pages fill their fields.
    QStringList found = unreadable(rig.form.get());
    rig.connectModule();
    QTRY_VERIFY(rig.tabVisible("Monitor"));
    QTRY_VERIFY(!rig.text("Edit_Caldata").isEmpty());
    rig.find<QLabel>("LabelMonitor_Status")->setText(QStringLiteral("Autoset"));
    rig.find<QLineEdit>("Edit_TX_Time")->setText(QStringLiteral("100"));
    rig.form->findChild<TAboutBox *>()->fillTexts(0);
    found += unreadable(rig.form.get());
    // The connection circle's outline stands out from the background it lies on.
    auto *shape = rig.find<QWidget>("ShapeLinkControl");
    const QImage circle = shape->grab().toImage();
    const QColor edge = circle.pixelColor(circle.width() / 2, 1);
    if (contrastRatio(edge, shape->palette().color(QPalette::Window)) < 3.0)
        found << QStringLiteral("ShapeLinkControl outline ") + edge.name();
    for (const QString &text : found)
        qWarning("hard to read: %s", qPrintable(text));
    QVERIFY(found.isEmpty());
}

void TestPalette::paletteChangedWhileOpen()
{
    WindowRig rig;
    rig.form->setLanguageIndex(0);
    auto *panel = rig.find<QLabel>("Panel_keine_Verbindung2");
    auto *locked = rig.find<QCheckBox>("CBoxLinkControl_Empf");
    const QColor lightPanel = panel->palette().color(QPalette::WindowText);
    const QColor lightLocked = locked->palette().color(QPalette::WindowText);
    QApplication::setPalette(darkPalette());
    // The window learns of the new palette through posted events.
    QTRY_VERIFY(panel->palette().color(QPalette::WindowText) != lightPanel);
    QTRY_VERIFY(locked->palette().color(QPalette::WindowText) != lightLocked);
    const QStringList found = unreadable(rig.form.get());
    for (const QString &text : found)
        qWarning("hard to read: %s", qPrintable(text));
    QVERIFY(found.isEmpty());
}

QTEST_MAIN(TestPalette)
#include "tst_palette.moc"
