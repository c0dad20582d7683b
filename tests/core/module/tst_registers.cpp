#include "module/registers.h"
#include "module/writeplan.h"

#include <QtTest>

using Steps = QList<WriteStep>;
Q_DECLARE_METATYPE(BPageValues)
Q_DECLARE_METATYPE(CPageValues)

namespace
{

// A B page as the decoder leaves it for a typical module: RX K5, TX K6, everything at item 0 but
// coding UART and the RX/TX switch by RS232.
BPageValues typicalB()
{
    BPageValues b;
    b.frqRx = 4;
    b.frqTx = 5;
    b.hfBaud = 2;
    b.kBreite = 1;
    b.code = 2;
    b.rxTx = 1;
    b.modArt = 1;
    b.configBaud = 0;
    b.pwrupB0 = b.pwrupB2 = b.pwrupB4 = b.pwrupB5 = 0;
    b.pwrContB0 = b.pwrContB1 = 1;
    b.recal = 0;
    b.rssi = 0;
    return b;
}

CPageValues typicalC()
{
    CPageValues c;
    c.frqRx = 0;
    c.frqTx = 158;
    c.hfBaud = 3;
    c.rs232Baud = 4;
    c.pwrupC0 = c.pwrupC2 = c.pwrupC5 = 1;
    c.pwrContC0 = 1;
    c.pwrContC1 = 0;
    c.recal = 1;
    for (int &item : c.data)
        item = 1;
    return c;
}

WriteStep frame(int code, int value)
{
    return WriteStep::frame(quint8(code), quint8(value));
}

QList<int> frameCodes(const WritePlan &plan)
{
    QList<int> codes;
    for (const WriteStep &step : plan.steps) {
        if (step.kind == WriteStep::Kind::Frame)
            codes.append(step.code);
    }
    return codes;
}

} // namespace

char *toString(const WriteStep &step)
{
    return qstrdup(QStringLiteral("{kind %1 code %2 value %3 item %4 flag %5}")
                       .arg(int(step.kind))
                       .arg(step.code, 2, 16, QLatin1Char('0'))
                       .arg(step.value, 2, 16, QLatin1Char('0'))
                       .arg(step.pcBaudItem)
                       .arg(step.flag)
                       .toLatin1()
                       .constData());
}

class TestRegisters : public QObject
{
    Q_OBJECT
private slots:
    void itemOfValue_data();
    void itemOfValue();
    void bitEncodings_data();
    void bitEncodings();
    void recalibrationDisplay_data();
    void recalibrationDisplay();
    void autoRssiDisplay_data();
    void autoRssiDisplay();
    void recalibrationCheck_data();
    void recalibrationCheck();
    void autoRssiCheck_data();
    void autoRssiCheck();
    void bWrite_data();
    void bWrite();
    void bWriteEepromCodes();
    void bWriteRefusals_data();
    void bWriteRefusals();
    void calibrationWrite_data();
    void calibrationWrite();
    void cWrite_data();
    void cWrite();
    void unselectedRefusesEverything_data();
    void unselectedRefusesEverything();
};

void TestRegisters::itemOfValue_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("channel");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("item");
    QTest::newRow("channel 1 is item 0") << 1 << true << 139 << 0;
    QTest::newRow("channel 0 selects nothing") << 0 << true << 139 << -1;
    QTest::newRow("channel 139 is last of 433") << 139 << true << 139 << 138;
    QTest::newRow("channel 140 beyond 433") << 140 << true << 139 << -1;
    QTest::newRow("channel 159 of 868") << 159 << true << 159 << 158;
    QTest::newRow("item register in list") << 2 << false << 3 << 2;
    QTest::newRow("item register beyond list") << 3 << false << 3 << -1;
    QTest::newRow("item register 255") << 255 << false << 9 << -1;
}

void TestRegisters::itemOfValue()
{
    QFETCH(int, value);
    QFETCH(bool, channel);
    QFETCH(int, count);
    const int item =
        channel ? channelItemForValue(quint8(value), count) : itemForValue(value, count);
    QTEST(item, "item");
}

void TestRegisters::bitEncodings_data()
{
    QTest::addColumn<int>("encoded");
    QTest::addColumn<int>("expected");
    QTest::newRow("B power-up continue, sleep, pin 9, normal = 0x31")
        << int(encodePowerUpB(1, 0, 1, 1)) << 0x31;
    QTest::newRow("B power-up all set = 0x35") << int(encodePowerUpB(1, 1, 1, 1)) << 0x35;
    QTest::newRow("B power-up run only = 0x04") << int(encodePowerUpB(0, 1, 0, 0)) << 0x04;
    QTest::newRow("C power-up all set = 0x25") << int(encodePowerUpC(1, 1, 1)) << 0x25;
    QTest::newRow("C power-up pins normal only = 0x20") << int(encodePowerUpC(0, 0, 1)) << 0x20;
    QTest::newRow("power control LED = 0x01") << int(encodePowerControl(1, 0)) << 0x01;
    QTest::newRow("power control RF = 0x02") << int(encodePowerControl(0, 1)) << 0x02;
    const int all[5] = {1, 1, 1, 1, 1};
    const int handshakeNoise[5] = {0, 1, 0, 0, 1};
    QTest::newRow("data format all = 0x1F") << int(encodeDataFormat(all)) << 0x1F;
    QTest::newRow("data format handshake and noise = 0x12")
        << int(encodeDataFormat(handshakeNoise)) << 0x12;
}

void TestRegisters::bitEncodings()
{
    QFETCH(int, encoded);
    QFETCH(int, expected);
    QCOMPARE(encoded, expected);
}

void TestRegisters::recalibrationDisplay_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("text");
    QTest::newRow("off") << 0 << 0 << "";
    QTest::newRow("temperature") << 1 << 1 << "";
    QTest::newRow("two minutes") << 2 << 2 << "2";
    QTest::newRow("150 minutes shown although not writable") << 150 << 2 << "150";
    QTest::newRow("255 minutes") << 255 << 2 << "255";
}

void TestRegisters::recalibrationDisplay()
{
    QFETCH(int, value);
    const IntervalDisplay shown = decodeRecalibration(quint8(value));
    QTEST(shown.item, "item");
    QTEST(shown.text, "text");
}

void TestRegisters::autoRssiDisplay_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("text");
    QTest::newRow("off") << 0 << "C" << 0 << "";
    QTest::newRow("5 tenths") << 5 << "C" << 1 << "0.5";
    QTest::newRow("15 tenths") << 15 << "C" << 1 << "1.5";
    QTest::newRow("150 tenths") << 150 << "C" << 1 << "15";
    QTest::newRow("1 tenth") << 1 << "C" << 1 << "0.1";
    QTest::newRow("two significant digits") << 123 << "C" << 1 << "12";
    QTest::newRow("German comma") << 15 << "de_DE" << 1 << "1,5";
    QTest::newRow("12.5 halves to even: 12") << 125 << "C" << 1 << "12";
    QTest::newRow("13.5 halves to even: 14") << 135 << "C" << 1 << "14";
    QTest::newRow("25.5 halves to even: 26") << 255 << "C" << 1 << "26";
    QTest::newRow("24.5 halves to even: 24") << 245 << "C" << 1 << "24";
    QTest::newRow("12.6 rounds up") << 126 << "C" << 1 << "13";
    QTest::newRow("9.9 keeps its tenth") << 99 << "C" << 1 << "9.9";
    QTest::newRow("10 whole") << 100 << "de_DE" << 1 << "10";
}

void TestRegisters::autoRssiDisplay()
{
    QFETCH(int, value);
    QFETCH(QString, locale);
    const IntervalDisplay shown = decodeAutoRssi(quint8(value), QLocale(locale));
    QTEST(shown.item, "item");
    QTEST(shown.text, "text");
}

void TestRegisters::recalibrationCheck_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("check");
    QTest::addColumn<int>("value");
    const int ok = int(IntervalCheck::Accepted);
    const int range = int(IntervalCheck::OutOfRange);
    const int nan = int(IntervalCheck::NotANumber);
    QTest::newRow("5 refused") << "5" << range << 0;
    QTest::newRow("6 sent") << "6" << ok << 6;
    QTest::newRow("149 sent") << "149" << ok << 149;
    QTest::newRow("150 refused") << "150" << range << 0;
    QTest::newRow("negative refused") << "-7" << range << 0;
    QTest::newRow("blanks around") << " 60 " << ok << 60;
    QTest::newRow("empty is not a number") << "" << nan << 0;
    QTest::newRow("letters are not a number") << "abc" << nan << 0;
    QTest::newRow("fraction is not a minute count") << "6.5" << nan << 0;
}

void TestRegisters::recalibrationCheck()
{
    QFETCH(QString, text);
    const IntervalResult result = checkRecalibrationMinutes(text);
    QTEST(int(result.check), "check");
    QTEST(int(result.value), "value");
}

void TestRegisters::autoRssiCheck_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("check");
    QTest::addColumn<int>("value");
    const int ok = int(IntervalCheck::Accepted);
    const int range = int(IntervalCheck::OutOfRange);
    const int nan = int(IntervalCheck::NotANumber);
    QTest::newRow("0.1 s sends 1") << "0.1"
                                   << "C" << ok << 1;
    QTest::newRow("14.9 s sends 149") << "14.9"
                                      << "C" << ok << 149;
    QTest::newRow("15 s refused") << "15"
                                  << "C" << range << 0;
    QTest::newRow("0 s refused") << "0"
                                 << "C" << range << 0;
    QTest::newRow("0.04 s refused") << "0.04"
                                    << "C" << range << 0;
    QTest::newRow("0.25 s rounds half to even: 2") << "0.25"
                                                   << "C" << ok << 2;
    QTest::newRow("0.05 s rounds half to even: 0, refused") << "0.05"
                                                            << "C" << range << 0;
    QTest::newRow("0.15 s rounds to 2") << "0.15"
                                        << "C" << ok << 2;
    QTest::newRow("German comma") << "1,5"
                                  << "de_DE" << ok << 15;
    QTest::newRow("German group separator is not a number") << "1.000"
                                                            << "de_DE" << nan << 0;
    QTest::newRow("English group separator is not a number") << "1,000"
                                                             << "en_US" << nan << 0;
    QTest::newRow("German 1.5 is no decimal") << "1.5"
                                              << "de_DE" << nan << 0;
    QTest::newRow("empty is not a number") << ""
                                           << "C" << nan << 0;
    QTest::newRow("text is not a number") << "oft"
                                          << "C" << nan << 0;
    QTest::newRow("huge refused") << "1e300"
                                  << "C" << range << 0;
}

void TestRegisters::autoRssiCheck()
{
    QFETCH(QString, text);
    QFETCH(QString, locale);
    const IntervalResult result = checkAutoRssiSeconds(text, QLocale(locale));
    QTEST(int(result.check), "check");
    QTEST(int(result.value), "value");
}

void TestRegisters::bWrite_data()
{
    QTest::addColumn<BPageValues>("page");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<int>("refusals");

    BPageValues b = typicalB();
    const Steps head{frame(0x09, 5), frame(0x0A, 6), frame(0x0B, 2),
                     frame(0x0C, 1), frame(0x0D, 2), frame(0x0E, 1)};
    QTest::newRow("RAM, Autobaud, by RS232")
        << b << head + Steps{frame(0x0F, 0), frame(0x10, 1), WriteStep::rxTxSwitchByCommand(true),
                             frame(0x11, 0), frame(0x12, 3), frame(0x13, 0),
                             frame(0x14, 0)}
        << 0;

    b = typicalB();
    b.configBaud = 8;
    b.rxTx = 0;
    QTest::newRow("115200 switches the PC to item 7, by TX_EN")
        << b << head + Steps{frame(0x0F, 8), WriteStep::switchPcBaud(7),
                             frame(0x10, 0), WriteStep::rxTxSwitchByCommand(false),
                             frame(0x11, 0), frame(0x12, 3),
                             frame(0x13, 0), frame(0x14, 0)}
        << 0;

    b = typicalB();
    b.rxTx = -1;
    QTest::newRow("empty RX/TX box sends nothing for 0x10")
        << b << head + Steps{frame(0x0F, 0), WriteStep::rxTxSwitchByCommand(true),
                             frame(0x11, 0), frame(0x12, 3),
                             frame(0x13, 0), frame(0x14, 0)}
        << 0;

    b = typicalB();
    b.pwrupB0 = 1;
    b.pwrupB4 = 1;
    b.pwrupB5 = 1;
    b.recal = 2;
    b.recalText = "6";
    b.rssi = 1;
    b.rssiText = "14.9";
    QTest::newRow("power-up 0x31, intervals 6 min and 14.9 s")
        << b
        << head + Steps{frame(0x0F, 0),    frame(0x10, 1), WriteStep::rxTxSwitchByCommand(true),
                        frame(0x11, 0x31), frame(0x12, 3), frame(0x13, 6),
                        frame(0x14, 149)}
        << 0;

    b.recal = 1;
    b.recalText = "999";
    b.rssiText = "0.25";
    QTest::newRow("temperature recalibration ignores the edit; 0.25 s sends 2")
        << b
        << head + Steps{frame(0x0F, 0),    frame(0x10, 1), WriteStep::rxTxSwitchByCommand(true),
                        frame(0x11, 0x31), frame(0x12, 3), frame(0x13, 1),
                        frame(0x14, 2)}
        << 0;

    b.recal = 2;
    b.recalText = "150";
    b.rssiText = "15";
    QTest::newRow("both intervals refused, both registers skipped")
        << b
        << head + Steps{frame(0x0F, 0), frame(0x10, 1), WriteStep::rxTxSwitchByCommand(true),
                        frame(0x11, 0x31), frame(0x12, 3)}
        << 2;
}

void TestRegisters::bWrite()
{
    QFETCH(BPageValues, page);
    QFETCH(Steps, steps);
    const WritePlan plan = planBWrite(page, QLocale::c());
    QVERIFY(!plan.refused());
    QCOMPARE(plan.steps, steps);
    QTEST(int(plan.refusals.size()), "refusals");
}

void TestRegisters::bWriteEepromCodes()
{
    BPageValues b = typicalB();
    b.eeprom = true;
    const WritePlan plan = planBWrite(b, QLocale::c());
    QCOMPARE(frameCodes(plan),
             (QList<int>{0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91, 0x92, 0x93, 0x94}));
    QCOMPARE(plan.steps.first(), frame(0x89, 5));
}

void TestRegisters::bWriteRefusals_data()
{
    QTest::addColumn<int>("recal");
    QTest::addColumn<QString>("recalText");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<QString>("rssiText");
    QTest::addColumn<bool>("clearEdit");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");
    QTest::newRow("recalibration 5 min")
        << 2 << "5" << 0 << "" << true
        << QStringLiteral("Auto-Recalibration muss zwischen 5 und 150 min. sein!")
        << QStringLiteral("Auto recalibration must be between 5 and 150 min.!");
    QTest::newRow("auto-RSSI 0.04 s")
        << 0 << "" << 1 << "0.04" << true
        << QStringLiteral("Auto-RSSI muss zwischen 0.1s und 15s sein!")
        << QStringLiteral("Auto RSSI must be between 0.1s and 15s!");
    QTest::newRow("minutes not a number keep their text")
        << 2 << "zehn" << 0 << "" << false
        << QStringLiteral("Auto-Recalibration: \"zehn\" ist keine gültige Zahl!")
        << QStringLiteral("Auto recalibration: \"zehn\" is not a valid number!");
    QTest::newRow("seconds not a number keep their text")
        << 0 << "" << 1 << "1s" << false
        << QStringLiteral("Auto-RSSI-Ausgabe: \"1s\" ist keine gültige Zahl!")
        << QStringLiteral("Auto RSSI output: \"1s\" is not a valid number!");
}

void TestRegisters::bWriteRefusals()
{
    BPageValues b = typicalB();
    QFETCH(int, recal);
    QFETCH(int, rssi);
    b.recal = recal;
    b.rssi = rssi;
    QFETCH(QString, recalText);
    QFETCH(QString, rssiText);
    b.recalText = recalText;
    b.rssiText = rssiText;
    const WritePlan plan = planBWrite(b, QLocale::c());
    QVERIFY(!plan.refused());
    QCOMPARE(plan.refusals.size(), 1);
    QTEST(plan.refusals.first().clearEdit, "clearEdit");
    QTEST(plan.refusals.first().message.german, "german");
    QTEST(plan.refusals.first().message.english, "english");
    // The other registers are still written: eleven frames instead of twelve.
    QCOMPARE(frameCodes(plan).size(), 11);
}

void TestRegisters::calibrationWrite_data()
{
    QTest::addColumn<BPageValues>("page");
    QTest::addColumn<Steps>("steps");
    BPageValues b = typicalB();
    b.eeprom = true; // never sets the EEPROM bit for the calibration software
    b.code = 1;
    QTest::newRow("auto-RSSI off ends with B0 10 00")
        << b << Steps{frame(0x09, 5), frame(0x0A, 6), frame(0x0B, 2),
                      frame(0x0C, 1), frame(0x0D, 1), WriteStep::rxTxSwitchByCommand(true),
                      frame(0x0E, 1), frame(0x0F, 3), frame(0x10, 0)};
    b.code = 2;
    b.rssi = 1;
    b.rssiText = "0.1";
    b.pwrContB0 = 0;
    QTest::newRow("UART switches by RTS; 0.1 s")
        << b << Steps{frame(0x09, 5), frame(0x0A, 6), frame(0x0B, 2),
                      frame(0x0C, 1), frame(0x0D, 2), WriteStep::rxTxSwitchByCommand(false),
                      frame(0x0E, 1), frame(0x0F, 2), frame(0x10, 1)};
}

void TestRegisters::calibrationWrite()
{
    QFETCH(BPageValues, page);
    const WritePlan plan = planCalibrationWrite(page, QLocale::c());
    QVERIFY(!plan.refused());
    QTEST(plan.steps, "steps");
}

void TestRegisters::cWrite_data()
{
    QTest::addColumn<CPageValues>("page");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<int>("refusals");
    CPageValues c = typicalC();
    QTest::newRow("RAM, between RTS off and on")
        << c << Steps{WriteStep::rts(false), frame(0x09, 1),      frame(0x0A, 159), frame(0x0B, 3),
                      frame(0x0C, 4),        frame(0x0D, 0x25),   frame(0x0E, 1),   frame(0x0F, 1),
                      frame(0x10, 0x1F),     WriteStep::rts(true)}
        << 0;
    c.eeprom = true;
    c.recal = 2;
    c.recalText = "5";
    QTest::newRow("EEPROM, refused interval still ends with RTS on")
        << c << Steps{WriteStep::rts(false), frame(0x89, 1),    frame(0x8A, 159),
                      frame(0x8B, 3),        frame(0x8C, 4),    frame(0x8D, 0x25),
                      frame(0x8E, 1),        frame(0x90, 0x1F), WriteStep::rts(true)}
        << 1;
}

void TestRegisters::cWrite()
{
    QFETCH(CPageValues, page);
    const WritePlan plan = planCWrite(page);
    QVERIFY(!plan.refused());
    QTEST(plan.steps, "steps");
    QTEST(int(plan.refusals.size()), "refusals");
}

void TestRegisters::unselectedRefusesEverything_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");
    QTest::newRow("B radio rate") << "B hfBaud"
                                  << "Funkdatenrate"
                                  << "Radio datarate";
    QTest::newRow("B recalibration box, not sent as 0xFF") << "B recal"
                                                           << "Auto-Recalibration"
                                                           << "Auto recalibration";
    QTest::newRow("B power-up named once") << "B pwrup"
                                           << "Powerup-Mode"
                                           << "Powerup mode";
    QTest::newRow("x auto-RSSI") << "x rssi"
                                 << "Auto-RSSI-Ausgabe"
                                 << "Auto RSSI output";
    QTest::newRow("C data format") << "C data"
                                   << "Daten-Format"
                                   << "Data format";
    QTest::newRow("C receive channel") << "C frqRx"
                                       << "Empfangsfrequenz"
                                       << "Receive frequency";
}

void TestRegisters::unselectedRefusesEverything()
{
    QFETCH(QString, which);
    BPageValues b = typicalB();
    CPageValues c = typicalC();
    WritePlan plan;
    if (which == "B hfBaud") {
        b.hfBaud = -1;
        plan = planBWrite(b);
    } else if (which == "B recal") {
        b.recal = -1;
        plan = planBWrite(b);
    } else if (which == "B pwrup") {
        b.pwrupB0 = b.pwrupB5 = -1;
        plan = planBWrite(b);
    } else if (which == "x rssi") {
        b.rssi = -1;
        plan = planCalibrationWrite(b);
    } else if (which == "C data") {
        c.data[3] = -1;
        plan = planCWrite(c);
    } else {
        c.frqRx = -1;
        plan = planCWrite(c);
    }
    QVERIFY(plan.refused());
    QVERIFY(plan.steps.isEmpty());
    QFETCH(QString, german);
    QFETCH(QString, english);
    QCOMPARE(plan.unselectedGerman, QStringList{german});
    QVERIFY(plan.unselectedMessage().german.contains(german));
    QVERIFY(plan.unselectedMessage().english.contains(english));
}

QTEST_APPLESS_MAIN(TestRegisters)
#include "tst_registers.moc"
