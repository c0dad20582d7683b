#include "support_window.h"

#include "widgets/shapecircle.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSlider>
#include <QTabWidget>
#include <QThread>
#include <QTimer>

#include <functional>

namespace
{

// A C module connected at 19200 baud (radio 9600) with the RF-tests page shown.
struct LinkRig : WindowRig {
    explicit LinkRig(const LinkPartnerConfig &link = {}) : WindowRig(configFor(link))
    {
        form->setLanguageIndex(1);
        connectModule();
        find<QTabWidget>("PageControl1")->setCurrentWidget(find<QWidget>("HF_Test"));
        shownInterval = edit("EditLinkControl_Interval")->text();
        edit("EditLinkControl_Interval")->setText(QString::number(kInterval));
    }
    static constexpr int kInterval = 200;
    QString shownInterval;
    static EmulatorConfig configFor(const LinkPartnerConfig &link)
    {
        EmulatorConfig config;
        config.type = 'C';
        config.link = link;
        // Far from the purge (20 ms after "L") and from the read (kInterval), so that the
        // scheduling delays of a busy machine cannot cut or miss an answer.
        if (config.link.answerDelayMs < 0)
            config.link.answerDelayMs = kInterval / 2;
        return config;
    }

    QLineEdit *edit(const char *name) const { return find<QLineEdit>(name); }
    int gauge(const char *name) const { return find<QProgressBar>(name)->value(); }
    QString logLine(const char *memo, int fromEnd) const
    {
        const QStringList lines = find<QPlainTextEdit>(memo)->toPlainText().split('\n');
        return lines.value(lines.size() - 1 - fromEnd);
    }

    // Clicks Start; after each cycle of this run onCycle gets the cycle's number. The click
    // returns when the run has ended.
    void run(const std::function<void(int cycle)> &onCycle)
    {
        QLineEdit *sent = edit("EditLinkControl_txStatistik");
        int cycle = 0;
        auto watch = QObject::connect(sent, &QLineEdit::textChanged, [&](const QString &t) {
            if (t != QLatin1String("0"))
                onCycle(++cycle);
        });
        button("BtnStartLinkControl")->click();
        QObject::disconnect(watch);
    }
    // Runs fn during the next wait of the loop, where a user's click lands.
    void later(const std::function<void()> &fn) { QTimer::singleShot(0, form.get(), fn); }
    void stopAt(int cycles)
    {
        run([this, cycles](int n) {
            if (n == cycles)
                later([this] { button("BtnStartLinkControl")->click(); });
        });
    }
};

} // namespace

class TestLinkControl : public QObject
{
    Q_OBJECT
private slots:
    void pageShowsTheSettingsAndTheMinimumInterval();
    void runCountsAveragesAndLogsEveryCycle();
    void answersOfEveryLengthOnTheGauges_data();
    void answersOfEveryLengthOnTheGauges();
    void clearAndPeakResetDuringARun();
    void cyclesThePcRanLateAreShown();
    void startIsRefusedOrConfirmed();
    void otherOperationsWaitForTheRunToEnd();
    void runEndsCleanlyWhenThePortGoesAway_data();
    void runEndsCleanlyWhenThePortGoesAway();
    void answerCompletingJustBeforeTheReadCounts();
    void intervalEditShowsTheIntervalOfTheRun();
    void intervalsAboveAMinuteAreRefused_data();
    void intervalsAboveAMinuteAreRefused();
    void longestIntervalEndsAtOnce_data();
    void longestIntervalEndsAtOnce();
};

void TestLinkControl::pageShowsTheSettingsAndTheMinimumInterval()
{
    LinkRig rig;
    QCOMPARE(rig.messages, QStringList());
    // Radio 9600 (item 3) and serial 19200 (item 4).
    QCOMPARE(rig.shownInterval, QStringLiteral("49"));
    QCOMPARE(rig.find<QLabel>("LabelLinkControl_HFbaud")->text(), QStringLiteral("9600 Baud"));
    QCOMPARE(rig.find<QLabel>("LabelLinkControl_RS232Baud")->text(), QStringLiteral("19200 Baud"));
    QVERIFY(rig.find<QLabel>("LabelLinkControl_Frq")->text().endsWith(QLatin1String(" MHz")));
    QVERIFY(rig.find<QLabel>("LabelLinkControl_Frq")
                ->text()
                .startsWith(rig.combo("CBox_Frq_RX_C")->currentText()));
    QVERIFY(rig.find<QLabel>("LabelLinkControl_RBW")->text().endsWith(QLatin1String(" kHz")));

    // Another radio rate gives another minimum the next time the page is shown.
    rig.choose("CBox_HFbaud_C", QStringLiteral("38400"));
    rig.find<QTabWidget>("PageControl1")->setCurrentWidget(rig.find<QWidget>("Modultest"));
    rig.find<QTabWidget>("PageControl1")->setCurrentWidget(rig.find<QWidget>("HF_Test"));
    QCOMPARE(rig.edit("EditLinkControl_Interval")->text(), QStringLiteral("26"));
}

void TestLinkControl::runCountsAveragesAndLogsEveryCycle()
{
    LinkPartnerConfig link;
    link.s1 = -70;
    link.n1 = -104;
    link.s2 = -72;
    link.n2 = -106;
    link.lossRate = 0.34; // the third exchange is lost
    LinkRig rig(link);
    rig.device->clearRecords();

    bool disabledWhileRunning = false;
    bool startIgnored = true;
    rig.run([&](int cycle) {
        if (cycle == 1)
            disabledWhileRunning = !rig.edit("EditLinkControl_Interval")->isEnabled() &&
                                   !rig.find<QSlider>("TBarLinkControl_Peak")->isEnabled() &&
                                   rig.find<QSlider>("TBar_LinkControl_Mittlung")->isEnabled() &&
                                   rig.form->activities().timerSlot().isRunning();
        if (cycle == 2) {
            // A language switch during the run leaves it running.
            rig.later([&] {
                rig.choose("CBoxLanguage", QStringLiteral("Deutsch"));
                rig.choose("CBoxLanguage", QStringLiteral("English"));
            });
        }
        if (cycle == 3) {
            rig.later([&] {
                rig.button("BtnStartLinkControl")->click(); // Stop
                // Start again while the last cycle is still to come: refused.
                rig.button("BtnStartLinkControl")->click();
                startIgnored = rig.button("BtnStartLinkControl")->text() == QLatin1String("Start");
            });
        }
    });
    QVERIFY(disabledWhileRunning);
    QVERIFY(startIgnored);
    QCOMPARE(rig.messages, QStringList{"LinkControl is stopping, please try again in a moment!"});

    // Stop after the third cycle ends the run after a fourth: two good, one lost, one good.
    QCOMPARE(rig.edit("EditLinkControl_txStatistik")->text(), QStringLiteral("4"));
    QCOMPARE(rig.edit("EditLinkControl_rxStatistik")->text(), QStringLiteral("3"));
    QCOMPARE(rig.edit("EditLinkControl_nokStatistik")->text(), QStringLiteral("1"));
    QCOMPARE(rig.edit("EditLinkControl_rxProzent")->text(), QStringLiteral("75%"));
    QCOMPARE(rig.edit("EditLinkControl_nokProzent")->text(), QStringLiteral("25%"));
    QCOMPARE(rig.find<ShapeCircle>("ShapeLinkControl")->brushColor(), QColor(0, 128, 0));
    QCOMPARE(rig.edit("EditLinkControl_quality1")->text(), QStringLiteral("34dB"));
    QCOMPARE(rig.edit("EditLinkControl_ruhe1")->text(), QStringLiteral("-104dBm"));
    QCOMPARE(rig.edit("EditLinkControl_quality2")->text(), QStringLiteral("34dB"));
    QCOMPARE(rig.edit("EditLinkControl_ruhe2")->text(), QStringLiteral("-106dBm"));
    QCOMPARE(rig.gauge("G_LinkControl_quality1"), 34);
    QCOMPARE(rig.gauge("G_LinkControl_ruhe2"), -106);
    QCOMPARE(rig.gauge("G_LinkControl_ruhe1_peak"), -104);

    // One line per cycle in each log; the lost one is marked.
    QCOMPARE(rig.logLine("MemoTX", 1), QStringLiteral("4C"));
    QCOMPARE(rig.logLine("MemoRX", 1), QStringLiteral("4C,B8,96,BA,98,"));
    QCOMPARE(rig.logLine("MemoRX", 2), QStringLiteral("ERR_LINK"));
    QCOMPARE(rig.logLine("MemoRX", 0), QString());

    // Only "L" went out, each lost cycle pulsed RTS, and the run cleaned up after itself.
    const QStringList events = rig.device->lineEventTexts();
    QCOMPARE(events.filter(QStringLiteral("write")).size(), 4);
    QCOMPARE(events.filter(QStringLiteral("write")).first(), QStringLiteral("write 4C"));
    QCOMPARE(events.filter(QStringLiteral("rts")), (QStringList{"rts 0", "rts 1"}));
    QCOMPARE(rig.button("BtnStartLinkControl")->text(), QStringLiteral("Start"));
    QVERIFY(rig.edit("EditLinkControl_Interval")->isEnabled());
    QVERIFY(!rig.form->activities().linkControlRunning());
    QVERIFY(!rig.form->activities().timerSlot().isRunning());
    QCOMPARE(rig.form->port().readTimeout(), 500);
    QVERIFY(rig.form->port().rts());

    // The first answer is read an answer wait plus an interval after its "L", later ones one
    // interval after theirs: the purges come an answer wait (20 ms) after each "L".
    QList<double> writes, purges;
    for (const LineEvent &event : rig.device->lineEvents()) {
        if (event.kind == LineEvent::Write)
            writes << event.atMs;
        else if (event.kind == LineEvent::Clear && writes.size() > purges.size())
            purges << event.atMs;
    }
    QCOMPARE(purges.size(), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(
            purges[i] - writes[i] >= 18,
            qPrintable(QStringLiteral("purge %1 after %2 ms").arg(i).arg(purges[i] - writes[i])));
    QVERIFY2(writes[1] - writes[0] >= 20 + LinkRig::kInterval - 5,
             qPrintable(QString::number(writes[1] - writes[0])));
}

void TestLinkControl::answersOfEveryLengthOnTheGauges_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("averaging");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("gauges");
    // s1 -80 (B0), n1 -100 (9C), s2 -60 (C4), n2 -100: ratios 20 and 40.
    QTest::newRow("3 bytes: module 2 blank") << 3 << 0 << QStringList{"20dB", "-100dBm", "", ""}
                                             << QList<int>{20, -100, 0, -128, 0, -128};
    QTest::newRow("5 bytes") << 5 << 0 << QStringList{"20dB", "-100dBm", "40dB", "-100dBm"}
                             << QList<int>{20, -100, 40, -100, 40, -100};
    QTest::newRow("7 bytes as 5") << 7 << 0 << QStringList{"20dB", "-100dBm", "40dB", "-100dBm"}
                                  << QList<int>{20, -100, 40, -100, 40, -100};
    // Averaging 1 from the cleared values: 10, then 15; noise -114, then -107.
    QTest::newRow("5 bytes averaged") << 5 << 1 << QStringList{"15dB", "-107dBm", "30dB", "-107dBm"}
                                      << QList<int>{15, -107, 30, -107, 30, -107};
}

void TestLinkControl::answersOfEveryLengthOnTheGauges()
{
    QFETCH(int, length);
    QFETCH(int, averaging);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, gauges);
    LinkPartnerConfig link;
    link.answerLength = length;
    link.s1 = -80;
    link.n1 = -100;
    link.s2 = -60;
    link.n2 = -100;
    LinkRig rig(link);
    rig.find<QSlider>("TBar_LinkControl_Mittlung")->setValue(averaging);
    rig.stopAt(1); // two cycles
    QCOMPARE(rig.edit("EditLinkControl_rxStatistik")->text(), QStringLiteral("2"));
    QCOMPARE(rig.edit("EditLinkControl_quality1")->text(), texts[0]);
    QCOMPARE(rig.edit("EditLinkControl_ruhe1")->text(), texts[1]);
    QCOMPARE(rig.edit("EditLinkControl_quality2")->text(), texts[2]);
    QCOMPARE(rig.edit("EditLinkControl_ruhe2")->text(), texts[3]);
    QCOMPARE(rig.gauge("G_LinkControl_quality1"), gauges[0]);
    QCOMPARE(rig.gauge("G_LinkControl_ruhe1"), gauges[1]);
    QCOMPARE(rig.gauge("G_LinkControl_quality2"), gauges[2]);
    QCOMPARE(rig.gauge("G_LinkControl_ruhe2"), gauges[3]);
    QCOMPARE(rig.gauge("G_LinkControl_quality2_peak"), gauges[4]);
    QCOMPARE(rig.gauge("G_LinkControl_ruhe2_peak"), gauges[5]);
    QCOMPARE(rig.logLine("MemoRX", 1).size(), (length == 3 ? 3 : 5) * 3);
}

void TestLinkControl::clearAndPeakResetDuringARun()
{
    LinkPartnerConfig link;
    link.answerLength = 3;
    link.s1 = -50;
    link.n1 = -100;
    LinkRig rig(link);
    QString sentAfterClear, peakAfterReset;
    rig.run([&](int cycle) {
        if (cycle == 2) {
            rig.later([&] {
                rig.button("BtnLinkControl_Clear")->click();
                // Counted on until the cycle in which the click came ends.
                sentAfterClear = rig.edit("EditLinkControl_txStatistik")->text();
            });
        } else if (cycle == 4) {
            rig.later([&] {
                rig.button("BtnLinkControl_PeakReset")->click();
                peakAfterReset = QString::number(rig.gauge("G_LinkControl_quality1_peak"));
                // The averaging track bar is read by the next cycle: 50 and 60 give 55.
                rig.find<QSlider>("TBar_LinkControl_Mittlung")->setValue(1);
                rig.device->emulator().config().link.s1 = -40;
                rig.button("BtnStartLinkControl")->click();
            });
        }
    });
    QCOMPARE(sentAfterClear, QStringLiteral("2"));
    QCOMPARE(peakAfterReset, QStringLiteral("0"));
    // After the clear the count starts at 1; the cycle after Stop is counted as well.
    QCOMPARE(rig.edit("EditLinkControl_txStatistik")->text(), QStringLiteral("2"));
    QCOMPARE(rig.edit("EditLinkControl_quality1")->text(), QStringLiteral("55dB"));
    QCOMPARE(rig.gauge("G_LinkControl_quality1_peak"), 55);

    // Idle, Clear acts at once and keeps the shape's colour.
    const QColor colour = rig.find<ShapeCircle>("ShapeLinkControl")->brushColor();
    rig.button("BtnLinkControl_Clear")->click();
    QCOMPARE(rig.edit("EditLinkControl_txStatistik")->text(), QStringLiteral("0"));
    QCOMPARE(rig.edit("EditLinkControl_rxProzent")->text(), QStringLiteral("0.000%"));
    QCOMPARE(rig.edit("EditLinkControl_quality1")->text(), QString());
    QCOMPARE(rig.gauge("G_LinkControl_ruhe1"), -128);
    QCOMPARE(rig.gauge("G_LinkControl_quality1_peak"), 0);
    QCOMPARE(rig.find<ShapeCircle>("ShapeLinkControl")->brushColor(), colour);
}

void TestLinkControl::cyclesThePcRanLateAreShown()
{
    // Each "L" takes the busy PC 30 ms to write: every purge comes some 10 ms after its time.
    LinkRig rig;
    rig.device->setWriteDurationMs(30);
    rig.stopAt(2);
    QCOMPARE(rig.edit("EditLinkControl_txStatistik")->text(), QStringLiteral("3"));
    QCOMPARE(rig.edit("EditLinkControl_nokStatistik")->text(), QStringLiteral("0"));
    const QString late = rig.edit("EditLinkControl_late")->text();
    QVERIFY2(QRegularExpression(QStringLiteral("^3 / \\d+\\.\\d ms$")).match(late).hasMatch(),
             qPrintable(late));
    rig.button("BtnLinkControl_Clear")->click();
    QCOMPARE(rig.edit("EditLinkControl_late")->text(), QStringLiteral("0 / 0.0 ms"));
}

void TestLinkControl::startIsRefusedOrConfirmed()
{
    LinkRig rig;
    QPushButton *start = rig.button("BtnStartLinkControl");
    rig.device->clearRecords();

    rig.edit("EditLinkControl_Interval")->setText(QStringLiteral("5O"));
    start->click();
    QCOMPARE(rig.messages, QStringList{"Interval [ms]: not a whole number!"});

    rig.messages.clear();
    rig.edit("EditLinkControl_Interval")->setText(QStringLiteral("60"));
    rig.button("BtnMonitor_Start")->setText(QStringLiteral("Stop"));
    start->click();
    rig.button("BtnMonitor_Start")->setText(QStringLiteral("Start"));
    rig.button("BtnStartHF_Test")->setText(QStringLiteral("Stop"));
    start->click();
    rig.button("BtnStartHF_Test")->setText(QStringLiteral("Start"));
    QCOMPARE(rig.messages, (QStringList{"Monitor is running, stop first!",
                                        "Carrierout is running, stop first!"}));
    QCOMPARE(rig.device->frames(), QList<QByteArray>());
    QCOMPARE(start->text(), QStringLiteral("Start"));
    QVERIFY(!rig.form->activities().timerSlot().isRunning());

    // Below the minimum the user is asked; No keeps the interval, Yes raises it.
    rig.messages.clear();
    rig.answerYes = false;
    rig.edit("EditLinkControl_Interval")->setText(QStringLiteral("30"));
    rig.stopAt(1);
    QCOMPARE(rig.messages, QStringList{"The minimal interval for actual configuration is 49 "
                                       "ms.\r\nRaise interval?"});
    QCOMPARE(rig.edit("EditLinkControl_Interval")->text(), QStringLiteral("30"));
    rig.answerYes = true;
    rig.stopAt(1);
    QCOMPARE(rig.edit("EditLinkControl_Interval")->text(), QStringLiteral("49"));
    QCOMPARE(rig.edit("EditLinkControl_txStatistik")->text(), QStringLiteral("4"));
}

void TestLinkControl::otherOperationsWaitForTheRunToEnd()
{
    LinkRig rig;
    const QStringList operations{"BtnAuslesen", "BtnKonfigurieren", "BtnTemp", "BtnRecal"};
    QStringList refusals, whileStopping;
    rig.run([&](int cycle) {
        if (cycle != 1)
            return;
        rig.device->clearRecords();
        for (const QString &name : operations) {
            rig.button(name.toLatin1())->setEnabled(true);
            rig.button(name.toLatin1())->click();
        }
        refusals = rig.messages;
        rig.button("BtnStartLinkControl")->click();
        // Stopped, the run still finishes its cycle: the operations wait for it.
        rig.messages.clear();
        for (const QString &name : operations)
            rig.button(name.toLatin1())->click();
        whileStopping = rig.messages;
    });
    QCOMPARE(refusals, QStringList(4, QStringLiteral("LinkControl is running, stop first!")));
    QCOMPARE(whileStopping, QStringList());
    QCOMPARE(rig.device->frames(), QList<QByteArray>());
    // Afterwards they run in the order they were clicked.
    QTRY_COMPARE(rig.edit("Edit_Recall_stat")->text().isEmpty(), false);
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.edit("Edit_Temp")->text(), QStringLiteral("23°C"));
    // Identification, a register write (B0 09 to B0 10, RAM or EEPROM), temperature, recalibration.
    QStringList kinds;
    for (const QByteArray &frame : rig.device->frames()) {
        const int code = frame.size() == 3 ? quint8(frame[1]) & 0x7F : -1;
        const QString kind = code >= 0x09 && code <= 0x10 ? QStringLiteral("write")
                                                          : QString::fromLatin1(frame.toHex());
        if (!kinds.contains(kind))
            kinds << kind;
    }
    QCOMPARE(kinds.filter(QRegularExpression("^(b00001|write|b00102|b02100)$")),
             (QStringList{"b00001", "write", "b00102", "b02100"}));
}

void TestLinkControl::runEndsCleanlyWhenThePortGoesAway_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("disconnected");
    QTest::newRow("disconnect") << "disconnect" << 0 << true;
    QTest::newRow("adapter pulled") << "loss" << 1 << true;
    QTest::newRow("window closed") << "close" << 0 << false;
}

void TestLinkControl::runEndsCleanlyWhenThePortGoesAway()
{
    QFETCH(QString, how);
    QFETCH(int, messages);
    QFETCH(bool, disconnected);
    LinkRig rig;
    rig.run([&](int cycle) {
        if (cycle != 2)
            return;
        // During the next wait, as a user's click or a pulled adapter would come.
        rig.later([&] {
            if (how == QLatin1String("disconnect"))
                rig.button("BtnTrennen")->click();
            else if (how == QLatin1String("loss"))
                rig.device->simulateLoss();
            else
                rig.form->close();
        });
    });
    QCOMPARE(rig.messages.size(), messages);
    QCOMPARE(rig.button("BtnStartLinkControl")->text(), QStringLiteral("Start"));
    QVERIFY(!rig.form->activities().linkControlRunning());
    QVERIFY(!rig.form->activities().timerSlot().isRunning());
    QCOMPARE(rig.button("BtnVerbinden")->isEnabled(), disconnected);
    if (disconnected)
        QCOMPARE(rig.form->port().readTimeout(), 1000);
    QVERIFY(rig.edit("EditLinkControl_txStatistik")->text().toInt() <= 3);
}

void TestLinkControl::answerCompletingJustBeforeTheReadCounts()
{
    // At 19200 baud every byte takes 0.52 ms: the "L" and the five answer bytes take 3.1 ms, so
    // the answer is complete half a millisecond before one interval has passed since its "L".
    LinkPartnerConfig link;
    link.answerDelayMs = LinkRig::kInterval - 0.5 - 6 * 10.0 * 1000.0 / 19200.0;
    LinkRig rig(link);
    rig.run([&](int cycle) {
        // A machine that takes 3 ms to draw a cycle: that time must not come off the next
        // cycle's wait for its answer.
        QThread::msleep(3);
        if (cycle == 20)
            rig.button("BtnStartLinkControl")->click();
    });
    QCOMPARE(rig.edit("EditLinkControl_txStatistik")->text(), QStringLiteral("20"));
    QCOMPARE(rig.edit("EditLinkControl_nokStatistik")->text(), QStringLiteral("0"));
    QCOMPARE(rig.edit("EditLinkControl_rxStatistik")->text(), QStringLiteral("20"));
}

void TestLinkControl::intervalEditShowsTheIntervalOfTheRun()
{
    LinkRig rig;
    auto *tabs = rig.find<QTabWidget>("PageControl1");
    QString shownDuringRun;
    rig.run([&](int cycle) {
        if (cycle != 1)
            return;
        // Another radio rate has another minimum; showing the page again during the run must
        // not put it into the edit, as the run keeps its interval.
        rig.choose("CBox_HFbaud_C", QStringLiteral("38400"));
        tabs->setCurrentWidget(rig.find<QWidget>("Modultest"));
        tabs->setCurrentWidget(rig.find<QWidget>("HF_Test"));
        shownDuringRun = rig.edit("EditLinkControl_Interval")->text();
        rig.button("BtnStartLinkControl")->click();
    });
    QCOMPARE(shownDuringRun, QString::number(LinkRig::kInterval));
    QCOMPARE(rig.edit("EditLinkControl_txStatistik")->text(), QStringLiteral("1"));
    // Idle again, the page shows the minimum for the new rate.
    tabs->setCurrentWidget(rig.find<QWidget>("Modultest"));
    tabs->setCurrentWidget(rig.find<QWidget>("HF_Test"));
    QCOMPARE(rig.edit("EditLinkControl_Interval")->text(), QStringLiteral("26"));
}

void TestLinkControl::intervalsAboveAMinuteAreRefused_data()
{
    // Below the minimum the user is asked instead (tst_userinput).
    QTest::addColumn<QString>("interval");
    QTest::newRow("beyond every int") << "99999999999";
    QTest::newRow("largest int") << "2147483647";
    QTest::newRow("a thousand million") << "1000000000";
    QTest::newRow("just above a minute") << "60001";
}

void TestLinkControl::intervalsAboveAMinuteAreRefused()
{
    QFETCH(QString, interval);
    LinkRig rig;
    rig.device->clearRecords();
    // Even a user who would not raise it is not asked: the value is refused first.
    rig.answerYes = false;
    rig.edit("EditLinkControl_Interval")->setText(interval);
    rig.button("BtnStartLinkControl")->click();
    QCOMPARE(rig.messages, QStringList{QStringLiteral("Interval [ms]: at most 60000 allowed!")});
    QCOMPARE(rig.device->frames(), QList<QByteArray>());
    QCOMPARE(rig.button("BtnStartLinkControl")->text(), QStringLiteral("Start"));
    QVERIFY(!rig.form->activities().linkControlRunning());
    QVERIFY(!rig.form->activities().timerSlot().isRunning());
}

void TestLinkControl::longestIntervalEndsAtOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("sent");
    QTest::addColumn<int>("messages");
    QTest::newRow("Stop: the last answer is read a second after its request") << "stop" << 1 << 0;
    QTest::newRow("disconnect") << "disconnect" << 0 << 0;
    QTest::newRow("adapter pulled") << "loss" << 0 << 1;
    QTest::newRow("window closed") << "close" << 0 << 0;
}

void TestLinkControl::longestIntervalEndsAtOnce()
{
    QFETCH(QString, how);
    QFETCH(int, sent);
    QFETCH(int, messages);
    LinkPartnerConfig link;
    link.answerDelayMs = 30; // within the minimum interval (49 ms), as a real exchange is
    LinkRig rig(link);
    rig.edit("EditLinkControl_Interval")->setText(QStringLiteral("60000"));
    // During the settle wait before the first "L".
    rig.later([&] {
        if (how == QLatin1String("stop"))
            rig.button("BtnStartLinkControl")->click();
        else if (how == QLatin1String("disconnect"))
            rig.button("BtnTrennen")->click();
        else if (how == QLatin1String("loss"))
            rig.device->simulateLoss();
        else
            rig.form->close();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    rig.button("BtnStartLinkControl")->click();
    // Far less than the interval of a minute.
    QVERIFY2(elapsed.elapsed() < 10000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(rig.messages.size(), messages);
    QCOMPARE(rig.edit("EditLinkControl_txStatistik")->text(), QString::number(sent));
    QCOMPARE(rig.edit("EditLinkControl_rxStatistik")->text(), QString::number(sent));
    QCOMPARE(rig.button("BtnStartLinkControl")->text(), QStringLiteral("Start"));
    QVERIFY(!rig.form->activities().linkControlRunning());
    QVERIFY(!rig.form->activities().timerSlot().isRunning());
    if (how != QLatin1String("stop") && how != QLatin1String("close"))
        QVERIFY(rig.button("BtnVerbinden")->isEnabled());
}

QTEST_MAIN(TestLinkControl)
#include "tst_linkcontrol.moc"
