// Walks every page of a connected B and C module in both languages and checks that the window
// fits a 1366 × 768 screen and that no text is cut off or covered. The font size comes from the
// environment (QT_FONT_DPI), so the same program runs at the default and at a larger font.
#include "support_window.h"

#include "monitor/dlg_frq.h"
#include "rf/passworddlg.h"
#include "widgets/pagescrollarea.h"
#include "window/aboutbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

namespace
{

constexpr QSize kScreen(1366, 768);

template <typename T> T *ancestorOf(const QWidget *widget)
{
    for (QWidget *w = widget->parentWidget(); w; w = w->parentWidget())
        if (auto *found = qobject_cast<T *>(w))
            return found;
    return nullptr;
}

// The parts of the window a user reads or works: the controls, and the titles of group boxes.
bool isControl(const QWidget *w)
{
    if (ancestorOf<QComboBox>(w) || ancestorOf<QTabBar>(w) || qobject_cast<const QScrollBar *>(w))
        return false;
    if (const QWidget *parent = w->parentWidget();
        parent && parent->inherits("QAbstractScrollArea"))
        return false;
    return qobject_cast<const QLabel *>(w) || qobject_cast<const QAbstractButton *>(w) ||
           qobject_cast<const QComboBox *>(w) || qobject_cast<const QLineEdit *>(w) ||
           qobject_cast<const QAbstractSlider *>(w) || qobject_cast<const QProgressBar *>(w) ||
           qobject_cast<const QPlainTextEdit *>(w) || w->inherits("ShapeCircle");
}

QString nameOf(const QWidget *w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

// The room a control gives its text, and the room the text needs; an empty rect means the
// control shows no text of its own.
struct TextRoom {
    QRect room;
    QSize needed;
    QString text;
};

int widestItem(const QComboBox *box, const QFontMetrics &fm)
{
    int widest = fm.horizontalAdvance(box->currentText());
    for (int i = 0; i < box->count(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(box->itemText(i)));
    if (box->currentIndex() < 0 && !box->isEditable())
        widest = std::max(widest, fm.horizontalAdvance(box->placeholderText()));
    return widest;
}

TextRoom textRoom(const QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    const auto needs = [&fm](const QString &text) { return fm.size(Qt::TextShowMnemonic, text); };
    if (auto *label = qobject_cast<const QLabel *>(w)) {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
            return {};
        QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                    -label->margin(), -label->margin());
        QSize needed = needs(label->text());
        if (label->wordWrap())
            needed = QSize(0, label->heightForWidth(label->width()));
        return {room, needed, label->text()};
    }
    if (auto *button = qobject_cast<const QPushButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        if (button->menu())
            option.features |= QStyleOptionButton::HasMenu;
        QRect room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        QSize needed = needs(button->text());
        if (button->menu())
            needed.rwidth() +=
                button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, button);
        return {room, needed, button->text()};
    }
    if (auto *check = qobject_cast<const QCheckBox *>(w)) {
        QStyleOptionButton option;
        option.initFrom(check);
        option.text = check->text();
        return {check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check),
                needs(check->text()), check->text()};
    }
    if (auto *radio = qobject_cast<const QRadioButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.text = radio->text();
        return {radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio),
                needs(radio->text()), radio->text()};
    }
    if (auto *box = qobject_cast<const QComboBox *>(w)) {
        // Every item counts: whichever the user picks must be readable.
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.editable = box->isEditable();
        QRect room = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                  QStyle::SC_ComboBoxEditField, box);
        if (box->isEditable())
            room.adjust(2, 0, -2, 0); // the line edit's own margins
        return {room, QSize(widestItem(box, fm), fm.height()), box->currentText()};
    }
    if (auto *edit = qobject_cast<const QLineEdit *>(w)) {
        if (edit->text().isEmpty() || edit->echoMode() != QLineEdit::Normal)
            return {};
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.rect = edit->contentsRect();
        option.lineWidth =
            edit->hasFrame()
                ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                : 0;
        QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        room.adjust(2, 1, -2, -1); // the line edit's horizontal and vertical text margins
        return {room, QSize(fm.horizontalAdvance(edit->text()), fm.height()), edit->text()};
    }
    return {};
}

QRect globalRect(const QWidget *w)
{
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

// A group box's title takes part in the overlap check as a control of its own; its body may
// hold other controls.
QRect groupTitleRect(const QGroupBox *box)
{
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxLabel;
    option.textAlignment = box->alignment();
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    return QRect(box->mapToGlobal(label.topLeft()), label.size());
}

// Problems found in one shown window (the main window or a dialog).
struct Findings {
    QStringList cut;
    QStringList covered;
    QStringList unreachable;
    // Lists every problem in the test's log; true when there is none.
    bool noneReported() const
    {
        const QStringList all = cut + covered + unreachable;
        for (const QString &problem : all)
            qWarning("%s", qPrintable(problem));
        return all.isEmpty();
    }
};

void inspect(QWidget *window, const QString &where, Findings &findings)
{
    // The screen in the window's own pixels: 1366 × 768, halved at a scale of 2.
    const QRect screen = QApplication::primaryScreen()->geometry();
    if (!screen.contains(window->frameGeometry()))
        findings.unreachable << where + QStringLiteral(": window ") +
                                    QString::number(window->frameGeometry().width()) +
                                    QLatin1Char('x') +
                                    QString::number(window->frameGeometry().height()) +
                                    QStringLiteral(" outside the screen");

    QList<QWidget *> controls;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || w->window() != window)
            continue;
        if (auto *box = qobject_cast<QGroupBox *>(w)) {
            const QFontMetrics fm = box->fontMetrics();
            const int needed = fm.horizontalAdvance(box->title());
            if (needed > groupTitleRect(box).width() || needed + 16 > box->width())
                findings.cut << where + QLatin1String(": ") + nameOf(box) +
                                    QStringLiteral(" title \"") + box->title() + QLatin1Char('"');
        }
        if (auto *bar = qobject_cast<QTabBar *>(w)) {
            // Every tab shows its whole caption, without scroll buttons.
            const int padding = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
            for (int i = 0; i < bar->count(); ++i) {
                const QRect tab = bar->tabRect(i);
                const int needed = bar->fontMetrics().horizontalAdvance(bar->tabText(i)) + padding;
                if (bar->isTabVisible(i) && (tab.width() < needed || !bar->rect().contains(tab)))
                    findings.cut << where + QStringLiteral(": tab \"") + bar->tabText(i) +
                                        QLatin1Char('"');
            }
        }
        if (!isControl(w))
            continue;
        controls << w;

        const TextRoom text = textRoom(w);
        if (!text.room.isNull() &&
            (text.needed.width() > text.room.width() || text.needed.height() > text.room.height()))
            findings.cut << where + QLatin1String(": ") + nameOf(w) + QStringLiteral(" \"") +
                                text.text + QStringLiteral("\" needs ") +
                                QString::number(text.needed.width()) + QLatin1Char('x') +
                                QString::number(text.needed.height()) + QStringLiteral(", has ") +
                                QString::number(text.room.width()) + QLatin1Char('x') +
                                QString::number(text.room.height());

        // Reachable: inside every ancestor up to the window or a scroll area's content, and a
        // scroll area itself on the screen.
        const QRect rect = globalRect(w);
        bool reachable = true;
        for (QWidget *a = w->parentWidget(); a; a = a->parentWidget()) {
            if (auto *area = qobject_cast<QScrollArea *>(a->parentWidget());
                area && area->viewport() == a) {
                // Scrolling brings it into view, whole.
                const QRect inContent(w->mapTo(area->widget(), QPoint(0, 0)), w->size());
                area->ensureVisible(inContent.center().x(), inContent.center().y(),
                                    inContent.width() / 2 + 1, inContent.height() / 2 + 1);
                reachable = reachable && screen.contains(globalRect(area)) &&
                            globalRect(a).contains(globalRect(w));
                break;
            }
            reachable = reachable && globalRect(a).contains(rect);
            if (a == window) {
                reachable = reachable && screen.contains(rect);
                break;
            }
        }
        if (!reachable)
            findings.unreachable << where + QLatin1String(": ") + nameOf(w);
    }

    // Covered: two controls of the same view that share pixels; a group's title is one, too.
    QList<std::pair<QWidget *, QRect>> shapes;
    for (QWidget *w : controls)
        shapes.append({w, globalRect(w)});
    for (QWidget *w : window->findChildren<QGroupBox *>())
        if (w->isVisibleTo(window) && !static_cast<QGroupBox *>(w)->title().isEmpty())
            shapes.append({w, groupTitleRect(static_cast<QGroupBox *>(w))});
    for (int i = 0; i < shapes.size(); ++i) {
        for (int j = i + 1; j < shapes.size(); ++j) {
            QWidget *a = shapes[i].first;
            QWidget *b = shapes[j].first;
            if (a->isAncestorOf(b) || b->isAncestorOf(a) ||
                ancestorOf<QScrollArea>(a) != ancestorOf<QScrollArea>(b))
                continue;
            if (shapes[i].second.intersects(shapes[j].second))
                findings.covered << where + QLatin1String(": ") + nameOf(a) +
                                        QStringLiteral(" and ") + nameOf(b);
        }
    }
}

// With KORVEL_SHOT_DIR set, keeps a picture of what was inspected, for a look by eye.
void saveShot(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("KORVEL_SHOT_DIR");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Texts as long as a running measurement shows them.
void fillMeasuredValues(WindowRig &rig)
{
    const auto set = [&rig](const char *name, const char *text) {
        rig.find<QLineEdit>(name)->setText(QString::fromUtf8(text));
    };
    for (const char *name : {"EditLinkControl_txStatistik", "EditLinkControl_rxStatistik",
                             "EditLinkControl_nokStatistik"})
        set(name, "1000000");
    set("EditLinkControl_rxProzent", "99.99%");
    set("EditLinkControl_nokProzent", "0.001%");
    set("EditLinkControl_quality1", "68dB");
    set("EditLinkControl_quality2", "68dB");
    set("EditLinkControl_ruhe1", "-128dBm");
    set("EditLinkControl_ruhe2", "-128dBm");
    set("EditMonitor_Momentan", "-128dBm");
    set("EditMonitor_Peak", "-128dBm");
    set("Edit_Caldata", "??? (Sleep nach Powerup eingestellt!)");
    for (int slot = 1; slot <= 30; ++slot) {
        QComboBox *box = rig.combo(QByteArray("CBoxMonitor_C" + QByteArray::number(slot)));
        box->setCurrentIndex(box->count() - 1);
    }
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private slots:
    void everyPageFitsAndReads_data();
    void everyPageFitsAndReads();
    void dialogsRead_data();
    void dialogsRead();
    void debugWindowGivesItsRoomBack();
    void aboutBoxReadsAndReaches_data();
    void aboutBoxReadsAndReaches();
};

void TestLayout::everyPageFitsAndReads_data()
{
    addModuleAndLanguageRows();
}

void TestLayout::everyPageFitsAndReads()
{
    QFETCH(char, type);
    QFETCH(int, language);
    EmulatorConfig config;
    config.type = type;
    // The longest plain text of the hardware for the B module.
    config.hardware = type == 'B' ? 12 : 10;
    WindowRig rig(config);
    TForm1 &form = *rig.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    Findings findings;
    inspect(&form, QStringLiteral("not connected"), findings);
    // The read-out writes its plain texts in the language of that moment.
    rig.choose("CBoxLanguage",
               language == 0 ? QStringLiteral("Deutsch") : QStringLiteral("English"));
    rig.connectModule();
    QTRY_VERIFY(rig.tabVisible("Monitor"));
    QTRY_VERIFY(!rig.text("Edit_Caldata").isEmpty());
    // The module tests fill their fields and time labels.
    for (const char *name : {"BtnTemp", "BtnVCC", "BtnRSSI_Aktuell", "BtnRSSI_MAX", "BtnRecal"})
        rig.button(name)->click();
    QTRY_VERIFY(!rig.text("Edit_Recall_stat").isEmpty());
    fillMeasuredValues(rig);
    // The LinkControl gauges carry their scales, the same in both languages.
    for (const char *gauge : {"quality1", "quality2", "ruhe1", "ruhe2"}) {
        const QByteArray name = QByteArray("LabelLinkControl_") + gauge + "_Scale";
        const QString scale = QLatin1String(gauge).startsWith(QLatin1String("quality"))
                                  ? QStringLiteral("0dB ..................................... 68dB")
                                  : QStringLiteral("-128dBm ......................... -60dBm");
        QCOMPARE(rig.find<QLabel>(name.constData())->text(), scale);
    }

    auto *tabs = rig.find<QTabWidget>("PageControl1");
    QList<int> heights;
    QStringList sizes;
    for (int i = 0; i < tabs->count(); ++i) {
        if (!tabs->isTabVisible(i))
            continue;
        tabs->setCurrentIndex(i);
        settle();
        heights << form.frameGeometry().height();
        sizes << tabs->widget(i)->objectName() + QLatin1Char(' ') +
                     QString::number(form.frameGeometry().width()) + QLatin1Char('x') +
                     QString::number(form.frameGeometry().height());
        inspect(&form, tabs->widget(i)->objectName(), findings);
        saveShot(&form, QStringLiteral("%1-%2-%3")
                            .arg(QChar::fromLatin1(type))
                            .arg(language == 0 ? QStringLiteral("de") : QStringLiteral("en"))
                            .arg(tabs->widget(i)->objectName()));
        saveShot(contentOf(tabs->widget(i)),
                 QStringLiteral("%1-%2-%3-whole")
                     .arg(QChar::fromLatin1(type))
                     .arg(language == 0 ? QStringLiteral("de") : QStringLiteral("en"))
                     .arg(tabs->widget(i)->objectName()));
    }
    qInfo("font %s %gpt %dpx; window %s; %lld texts cut, %lld covered, %lld controls out of reach",
          qPrintable(form.font().family()), form.font().pointSizeF(), form.fontMetrics().height(),
          qPrintable(sizes.join(QStringLiteral(", "))), qlonglong(findings.cut.size()),
          qlonglong(findings.covered.size()), qlonglong(findings.unreachable.size()));
    QVERIFY(findings.noneReported());
    // The window keeps its size from page to page.
    QVERIFY(!heights.isEmpty());
    QCOMPARE(heights.count(heights.first()), heights.size());
}

void TestLayout::dialogsRead_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("German") << 0;
    QTest::newRow("English") << 1;
}

void TestLayout::dialogsRead()
{
    QFETCH(int, language);
    WindowRig rig;
    rig.form->setLanguageIndex(language);
    Findings findings;

    auto *about = rig.form->findChild<TAboutBox *>();
    about->setDataFolder(QDir::homePath() + QStringLiteral("/a/rather/long/folder/of/the/tool"));
    about->fillTexts(language);
    auto *frequency = rig.form->findChild<TDlg_frq *>();
    frequency->applyLanguage(language);
    frequency->EditDlg_Frq_Center->setText(QStringLiteral("869.9875"));
    frequency->EditDlg_Frq_Span->setText(QStringLiteral("1000"));
    auto *password = rig.form->findChild<TPasswordDlg *>();
    password->setTexts(language == 0 ? QStringLiteral("Passwort-Dialog")
                                     : QStringLiteral("Password dialog"),
                       language == 0 ? QStringLiteral("Funktion Passworteingabe aktivieren:")
                                     : QStringLiteral("Enter password to activate function:"));
    for (QDialog *dialog : std::initializer_list<QDialog *>{about, frequency, password}) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        inspect(dialog, dialog->objectName(), findings);
        saveShot(dialog, dialog->objectName() + QString::number(language));
        dialog->hide();
    }
    QVERIFY(findings.noneReported());
}

void TestLayout::debugWindowGivesItsRoomBack()
{
    WindowRig rig;
    TForm1 &form = *rig.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect narrow = form.geometry();
    auto *debug = rig.find<QGroupBox>("GBox_Debugfenster");
    for (int round = 0; round < 10; ++round) {
        rig.button("BtnDebugfenster")->click();
        settle();
        QVERIFY(debug->isVisible());
        QCOMPARE(form.width(), narrow.width() + TForm1::kWideWidth - TForm1::kNarrowWidth);
        QCOMPARE(form.height(), narrow.height());
        // Both ways of closing it: the close button and the debug button again.
        rig.button(round % 2 ? "BtnClose" : "BtnDebugfenster")->click();
        settle();
        QVERIFY(!debug->isVisible());
        QCOMPARE(form.geometry(), narrow);
    }
    Findings findings;
    rig.button("BtnDebugfenster")->click();
    settle();
    inspect(&form, QStringLiteral("debug window"), findings);
    saveShot(&form, QStringLiteral("debug"));
    QVERIFY(findings.noneReported());
}

void TestLayout::aboutBoxReadsAndReaches_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("German") << 0;
    QTest::newRow("English") << 1;
}

void TestLayout::aboutBoxReadsAndReaches()
{
    // Opened as the user opens it: Info on the window of a connected module.
    QFETCH(int, language);
    EmulatorConfig config;
    config.type = 'B';
    WindowRig rig(config);
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    rig.form->setLanguageIndex(language);
    rig.connectModule();
    QTRY_VERIFY(rig.tabVisible("Monitor"));

    Findings findings;
    QStringList small;
    bool shown = false;
    auto *about = rig.form->findChild<TAboutBox *>();
    QTimer::singleShot(0, about, [&] {
        shown = QTest::qWaitForWindowExposed(about);
        settle();
        inspect(about, about->objectName(), findings);
        // No text smaller than the window's own.
        const int readable = QFontInfo(rig.form->font()).pixelSize();
        for (QWidget *w : about->findChildren<QWidget *>())
            if (isControl(w) && w->isVisibleTo(about) &&
                QFontInfo(w->font()).pixelSize() < readable)
                small << nameOf(w) + QStringLiteral(" ") +
                             QString::number(QFontInfo(w->font()).pixelSize()) +
                             QStringLiteral(" px");
        saveShot(about, QStringLiteral("about-%1").arg(language));
        about->accept();
    });
    rig.button("BtnInfo")->click();
    QVERIFY(shown);
    for (const QString &text : small)
        qWarning("smaller than the window's font: %s", qPrintable(text));
    const bool reachable = findings.noneReported();
    QVERIFY(small.isEmpty());
    QVERIFY(reachable);
}

int main(int argc, char **argv)
{
    // The offscreen platform's screen is 800 × 600 at 96 dpi unless told otherwise.
    QTemporaryDir dir;
    if (qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen")) {
        const QString path = dir.filePath(QStringLiteral("screen.json"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        const int dpi = qEnvironmentVariableIsSet("QT_FONT_DPI")
                            ? qEnvironmentVariableIntValue("QT_FONT_DPI")
                            : 96;
        // A screen of twice the pixels shows the same 1366 × 768 at a scale of 2.
        const int times = std::max(1, qEnvironmentVariableIntValue("KORVEL_SCREEN_TIMES"));
        file.write(QStringLiteral(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, )"
                                  R"("width": %1, "height": %2, "logicalDpi": %3}]})")
                       .arg(kScreen.width() * times)
                       .arg(kScreen.height() * times)
                       .arg(dpi)
                       .toUtf8());
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(path));
    }
    QApplication app(argc, argv);
    TestLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_layout.moc"
