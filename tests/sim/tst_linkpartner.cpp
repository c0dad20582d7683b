#include "linkpartner.h"
#include "moduleemulator.h"
#include "simoptions.h"

#include <QTest>

// The free module of a LinkControl test as the emulated C module answers for it.
class TestLinkPartner : public QObject
{
    Q_OBJECT
private slots:
    void answersAndLosses_data();
    void answersAndLosses();
    void commandLine_data();
    void commandLine();
    void emulatorAnswersTheRequest_data();
    void emulatorAnswersTheRequest();
};

void TestLinkPartner::answersAndLosses_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<double>("loss");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("pattern"); // one character per request: a answered, - lost
    // s1 -70 BA, n1 -104 98, s2 -72 B8, n2 -106 96
    QTest::newRow("3 bytes") << 3 << 0.0 << QByteArray::fromHex("4CBA98") << "aaaa";
    QTest::newRow("5 bytes") << 5 << 0.0 << QByteArray::fromHex("4CB896BA98") << "aaaa";
    QTest::newRow("7 bytes") << 7 << 0.0 << QByteArray::fromHex("4CB8000096BA98") << "aaaa";
    QTest::newRow("every fourth lost")
        << 5 << 0.25 << QByteArray::fromHex("4CB896BA98") << "aaa-aaa-";
    QTest::newRow("half lost") << 5 << 0.5 << QByteArray::fromHex("4CB896BA98") << "a-a-a-";
    QTest::newRow("all lost") << 5 << 1.0 << QByteArray() << "---";
}

void TestLinkPartner::answersAndLosses()
{
    QFETCH(int, length);
    QFETCH(double, loss);
    QFETCH(QByteArray, answer);
    QFETCH(QString, pattern);
    LinkPartnerConfig config;
    config.answerLength = length;
    config.lossRate = loss;
    LinkPartner partner;
    QString seen;
    for (int i = 0; i < pattern.size(); ++i) {
        const auto a = partner.answer(config);
        seen += a ? QLatin1Char('a') : QLatin1Char('-');
        if (a)
            QCOMPARE(*a, answer);
    }
    QCOMPARE(seen, pattern);
}

void TestLinkPartner::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("s1");
    QTest::addColumn<int>("n2");
    QTest::addColumn<double>("loss");
    QTest::addColumn<double>("delay");
    QTest::newRow("defaults") << QStringList{} << "" << 5 << -70 << -106 << 0.0 << -1.0;
    QTest::newRow("all keys")
        << QStringList{"--link", "bytes=3,s1=-60,n1=-100,s2=-61,n2=-99,loss=0.1,delay=30"} << ""
        << 3 << -60 << -99 << 0.1 << 30.0;
    QTest::newRow("bad length") << QStringList{"--link", "bytes=4"}
                                << "--link: bytes 3, 5 or 7, not 4" << 5 << -70 << -106 << 0.0
                                << -1.0;
    QTest::newRow("loss above 1") << QStringList{"--link", "loss=2"} << "--link: bad loss: 2" << 5
                                  << -70 << -106 << 0.0 << -1.0;
    QTest::newRow("level out of a byte")
        << QStringList{"--link", "s1=-200"} << "--link: s1 must be -128 to 127 dBm" << 5 << -70
        << -106 << 0.0 << -1.0;
    QTest::newRow("unknown key") << QStringList{"--link", "snr=3"} << "--link: unknown key snr" << 5
                                 << -70 << -106 << 0.0 << -1.0;
}

void TestLinkPartner::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QFETCH(int, length);
    QFETCH(int, s1);
    QFETCH(int, n2);
    QFETCH(double, loss);
    QFETCH(double, delay);
    const SimOptions options = parseSimOptions(arguments);
    QCOMPARE(options.error, error);
    if (!error.isEmpty())
        return;
    const LinkPartnerConfig &link = options.config.link;
    QVERIFY(link.enabled);
    QCOMPARE(link.answerLength, length);
    QCOMPARE(link.s1, s1);
    QCOMPARE(link.n2, n2);
    QCOMPARE(link.lossRate, loss);
    QCOMPARE(link.answerDelayMs, delay);
}

void TestLinkPartner::emulatorAnswersTheRequest_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<bool>("rts");
    QTest::addColumn<bool>("asleep");
    QTest::addColumn<double>("delay");
    QTest::addColumn<bool>("answered");
    // Radio 9600 and serial 19200 by default: 20 + 5.7 ms over the air.
    QTest::newRow("C, RTS off, air time") << 'C' << false << false << -1.0 << true;
    QTest::newRow("C, RTS on (data mode)") << 'C' << true << false << -1.0 << true;
    QTest::newRow("C, set delay") << 'C' << false << false << 40.0 << true;
    QTest::newRow("C asleep") << 'C' << false << true << -1.0 << false;
    QTest::newRow("B has no LinkControl") << 'B' << false << false << -1.0 << false;
}

void TestLinkPartner::emulatorAnswersTheRequest()
{
    QFETCH(char, type);
    QFETCH(bool, rts);
    QFETCH(bool, asleep);
    QFETCH(double, delay);
    QFETCH(bool, answered);
    EmulatorConfig config;
    config.type = type;
    config.link.answerDelayMs = delay;
    ModuleEmulator module(config);
    module.setPcBaud(19200, 0);
    module.lineOpened(0);
    module.takeOutput(100); // the start-up report
    if (asleep) {
        module.receive(QByteArray::fromHex("B02000"), 100);
        module.takeOutput(150);
        QVERIFY(module.isAsleep());
    }
    module.setRts(rts, 150);
    module.receive(QByteArray(1, 'L'), 200);
    const double expectedDelay = delay >= 0 ? delay : 192000.0 / 9600 + 110000.0 / 19200;
    const double byteMs = 10000.0 / 19200;
    // Not a byte before the exchange is over, then the whole answer at the line's rate.
    QCOMPARE(module.takeOutput(200 + byteMs + expectedDelay), QByteArray());
    const QByteArray answer = module.takeOutput(300);
    QCOMPARE(answer, answered ? QByteArray::fromHex("4CB896BA98") : QByteArray());
}

QTEST_GUILESS_MAIN(TestLinkPartner)
#include "tst_linkpartner.moc"
