#include "support_queuedinput.h"
#include "support_window.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>

#include <qpa/qwindowsysteminterface.h>

// The edges of what a user types and clicks: the settings file written at closing, LinkControl's
// interval, a port name the system cannot take. All input comes through the window system's
// queue, as a real user's does.
namespace
{

// A click at a point of the target, from the window system's queue.
void queueClickAt(QWidget *target, QPoint at)
{
    ::queueClickAt(target->window(), target->mapTo(target->window(), at));
}

void queueClick(QWidget *target)
{
    queueClickAt(target, target->rect().center());
}

// A check box takes a click on its box.
void queueTick(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    queueClickAt(box,
                 box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center());
}

void queueKey(QWidget *window, int key, Qt::KeyboardModifiers modifiers, const QString &text = {})
{
    QWindow *handle = window->windowHandle();
    QWindowSystemInterface::handleKeyEvent(handle, QEvent::KeyPress, key, modifiers, text);
    QWindowSystemInterface::handleKeyEvent(handle, QEvent::KeyRelease, key, modifiers, text);
}

// Clicks into a field, selects what it holds and types text (printable ASCII) over it.
void queueTyping(QWidget *field, const QString &text)
{
    queueClick(field);
    queueKey(field->window(), Qt::Key_A, Qt::ControlModifier);
    for (const QChar c : text)
        queueKey(field->window(), c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

void queueClose(QWidget *window)
{
    QWindowSystemInterface::handleCloseEvent(window->windowHandle());
}

// Delivers what is queued; a click that starts a run returns when the run has ended.
void deliverInput()
{
    QWindowSystemInterface::flushWindowSystemEvents(QEventLoop::AllEvents);
}

bool showWindow(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestUserInput : public QObject
{
    Q_OBJECT
private slots:
    void settingsFileKeepsItsThreeLinesAndNamesThePortOnAFourth();
    void settingsFileInPlaceOfALinkOrNameThatIsNotUtf8_data();
    void settingsFileInPlaceOfALinkOrNameThatIsNotUtf8();
    void intervalBelowTheMinimumIsAskedAbout_data();
    void intervalBelowTheMinimumIsAskedAbout();
    void portNameTooLongIsNoBusyPort();
};

void TestUserInput::settingsFileKeepsItsThreeLinesAndNamesThePortOnAFourth()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Korvel_ComSetting.ini"));
    int demo = -1;
    {
        WindowRig rig({}, folder.path());
        QVERIFY(showWindow(rig.form.get()));
        demo = rig.combo("CBox_COM")->findText(QStringLiteral("DEMO"));
        queueTick(rig.find<QCheckBox>("CheckBox_ComSave"));
        queueTyping(rig.combo("CBox_COM")->lineEdit(), QStringLiteral("DEMO"));
        queueTyping(rig.combo("CBox_RS232_baud")->lineEdit(), QStringLiteral("57600"));
        queueClose(rig.form.get());
        deliverInput();
        QVERIFY(!rig.form->isVisible());
        QCOMPARE(rig.messages, QStringList());
    }
    // Line 2 is the selector's index alone, as a reader of the three lines expects it.
    QCOMPARE(fileBytes(path),
             QByteArray("-1\r\n") + QByteArray::number(demo) + QByteArray("\r\n6\r\nDEMO\r\n"));
}

void TestUserInput::settingsFileInPlaceOfALinkOrNameThatIsNotUtf8_data()
{
    QTest::addColumn<QString>("before"); // "link": the file is a link to one elsewhere
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("typed"); // empty: the user only closes the window
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("link to the settings elsewhere")
        << "link" << QByteArray("-1\r\n-1\r\n6\r\n") << "COM3"
        << QByteArray("-1\r\n2\r\n6\r\nCOM3\r\n");
    QTest::newRow("name that is not UTF-8, earlier form")
        << "file" << QByteArray("-1\r\n3\t/dev/tty\xe9\r\n4\r\n") << ""
        << QByteArray("-1\r\n-1\r\n4\r\n/dev/tty\xe9\r\n");
}

void TestUserInput::settingsFileInPlaceOfALinkOrNameThatIsNotUtf8()
{
    QFETCH(QString, before);
    QFETCH(QByteArray, content);
    QFETCH(QString, typed);
    QFETCH(QByteArray, written);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Korvel_ComSetting.ini"));
    const QString elsewhere = folder.filePath(QStringLiteral("shared.ini"));
    if (before == QLatin1String("link")) {
        QVERIFY(writeBytes(elsewhere, content));
        QVERIFY(QFile::link(elsewhere, path));
    } else {
        QVERIFY(writeBytes(path, content));
    }
    {
        WindowRig rig({}, folder.path());
        QVERIFY(rig.find<QCheckBox>("CheckBox_ComSave")->isChecked());
        QVERIFY(showWindow(rig.form.get()));
        if (!typed.isEmpty())
            queueTyping(rig.combo("CBox_COM")->lineEdit(), typed);
        queueClose(rig.form.get());
        deliverInput();
        QVERIFY(!rig.form->isVisible());
        QCOMPARE(rig.messages, QStringList());
    }
    // The file a link led to is left as it was; the link is gone.
    if (before == QLatin1String("link"))
        QCOMPARE(fileBytes(elsewhere), content);
    QVERIFY(!QFileInfo(path).isSymLink());
    QCOMPARE(fileBytes(path), written);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(),
             before == QLatin1String("link") ? 2 : 1);
}

void TestUserInput::intervalBelowTheMinimumIsAskedAbout_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("raise");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shownDuringRun"); // empty: no run
    const QString question = QStringLiteral(
        "The minimal interval for actual configuration is 49 ms.\r\nRaise interval?");
    // Radio 9600 and serial 19200: the minimum is 49 ms.
    QTest::newRow("zero, raised") << "0" << true << question << "49";
    QTest::newRow("zero, kept: 1 ms") << "0" << false << question << "1";
    QTest::newRow("negative, kept: 1 ms") << "-5" << false << question << "1";
    QTest::newRow("above a minute: refused")
        << "60001" << true << "Interval [ms]: at most 60000 allowed!"
        << "";
}

void TestUserInput::intervalBelowTheMinimumIsAskedAbout()
{
    QFETCH(QString, typed);
    QFETCH(bool, raise);
    QFETCH(QString, message);
    QFETCH(QString, shownDuringRun);
    EmulatorConfig config;
    config.type = 'C';
    config.link.answerDelayMs = 20;
    WindowRig rig(config);
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    rig.find<QTabWidget>("PageControl1")->setCurrentWidget(rig.find<QWidget>("HF_Test"));
    QVERIFY(showWindow(rig.form.get()));
    rig.device->clearRecords();
    rig.answerYes = raise;

    QPushButton *start = rig.button("BtnStartLinkControl");
    auto *interval = rig.find<QLineEdit>("EditLinkControl_Interval");
    QString shown;
    // The user stops the run after its first cycle.
    connect(rig.find<QLineEdit>("EditLinkControl_txStatistik"), &QLineEdit::textChanged, start,
            [&](const QString &sent) {
                if (sent == QLatin1String("1")) {
                    shown = interval->text();
                    queueClick(start);
                }
            });
    queueTyping(interval, typed);
    queueClick(start);
    deliverInput();

    QCOMPARE(rig.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(shown, shownDuringRun);
    QCOMPARE(start->text(), QStringLiteral("Start"));
    QVERIFY(!rig.form->activities().linkControlRunning());
    const QStringList writes = rig.device->lineEventTexts().filter(QStringLiteral("write"));
    if (shownDuringRun.isEmpty()) {
        QCOMPARE(writes, QStringList());
        QCOMPARE(interval->text(), typed);
    } else {
        QVERIFY(!writes.isEmpty());
        QCOMPARE(writes.first(), QStringLiteral("write 4C"));
    }
}

void TestUserInput::portNameTooLongIsNoBusyPort()
{
    // The system's serial port, not the emulated one.
    QTemporaryDir folder;
    QStringList messages;
    Messages::setPresenterForTest([&messages](Messages::Kind, const QString &text) {
        messages << text;
        return true;
    });
    ComPort::setDeviceFactoryForTest({});
    {
        TForm1 form(folder.path());
        form.setLanguageIndex(1);
        QVERIFY(showWindow(&form));
        queueTyping(form.findChild<QComboBox *>(QStringLiteral("CBox_COM"))->lineEdit(),
                    QString(4005, QLatin1Char('x')));
        queueTyping(form.findChild<QComboBox *>(QStringLiteral("CBox_RS232_baud"))->lineEdit(),
                    QStringLiteral("19200"));
        queueClick(form.findChild<QPushButton *>(QStringLiteral("BtnVerbinden")));
        deliverInput();
        QVERIFY(form.isDisconnected());
    }
    Messages::setPresenterForTest({});
    // The system's word for it, and no advice about another program.
    QCOMPARE(messages, QStringList{QStringLiteral("Unable to open com port (win error code: 36)"
                                                  "\r\nFile name too long")});
}

QTEST_MAIN(TestUserInput)
#include "tst_userinput.moc"
