#include "link/exchangelog.h"
#include "window/debugpanes.h"

#include <QPlainTextEdit>
#include <QTest>

// The debug window's panes keep the last hundred exchanges, their lines paired, and the empty
// caret line, however often the log is written to them.
class TestDebugPanes : public QObject
{
    Q_OBJECT
private slots:
    void keepTheLastHundredExchangesPaired_data();
    void keepTheLastHundredExchangesPaired();
};

void TestDebugPanes::keepTheLastHundredExchangesPaired_data()
{
    QTest::addColumn<int>("flushEvery");
    QTest::newRow("written once at the end") << 0;
    QTest::newRow("written after every exchange") << 1;
    QTest::newRow("written every 7 exchanges") << 7;
}

void TestDebugPanes::keepTheLastHundredExchangesPaired()
{
    QFETCH(int, flushEvery);
    QPlainTextEdit txPane, rxPane;
    DebugPanes panes(&txPane, &rxPane);
    ExchangeLog log(&panes);
    for (int i = 0; i < 103; ++i) {
        log.appendTx(QByteArray::fromHex("B00209"));
        log.appendRx(QByteArray::fromHex("02") + char(i));
        log.endExchange();
        if (flushEvery > 0 && i % flushEvery == 0)
            log.flush();
    }
    log.flush();
    const QStringList tx = txPane.toPlainText().split(QLatin1Char('\n'));
    const QStringList rx = rxPane.toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(rx.size(), 101);
    QCOMPARE(tx.size(), 101);
    QCOMPARE(rx.first(), QStringLiteral("02,03,"));
    QCOMPARE(rx.at(99), QStringLiteral("02,66,"));
    QCOMPARE(rx.last(), QString());
    QCOMPARE(tx.first(), QStringLiteral("B0,02,09,"));
}

QTEST_MAIN(TestDebugPanes)
#include "tst_debugpanes.moc"
