#include "widgets/contrast.h"

#include <QFont>
#include <QTest>

class TestContrast : public QObject
{
    Q_OBJECT
private slots:
    void ratio_data();
    void ratio();
    void readableColour_data();
    void readableColour();
    void largeTextNeedsLess();
};

void TestContrast::ratio_data()
{
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    // Figures of the WCAG 2 definition.
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::newRow("the same colour") << QColor(0x35, 0x35, 0x35) << QColor(0x35, 0x35, 0x35) << 1.0;
    QTest::newRow("red on white") << QColor(Qt::red) << QColor(Qt::white) << 4.0;
    QTest::newRow("grey 767676 on white") << QColor(0x76, 0x76, 0x76) << QColor(Qt::white) << 4.54;
    QTest::newRow("order does not count") << QColor(Qt::white) << QColor(0x76, 0x76, 0x76) << 4.54;
}

void TestContrast::ratio()
{
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QVERIFY2(qAbs(contrastRatio(a, b) - ratio) < 0.01,
             qPrintable(QString::number(contrastRatio(a, b))));
}

void TestContrast::readableColour_data()
{
    QTest::addColumn<QColor>("wanted");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<double>("needed");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("darker");
    QTest::newRow("black on white is kept")
        << QColor(Qt::black) << QColor(Qt::white) << 4.5 << true << false;
    QTest::newRow("red on light grey, large text, kept")
        << QColor(Qt::red) << QColor(0xef, 0xef, 0xef) << 3.0 << true << false;
    QTest::newRow("red on light grey darkens")
        << QColor(Qt::red) << QColor(0xef, 0xef, 0xef) << 4.5 << false << true;
    QTest::newRow("red on dark grey lightens")
        << QColor(Qt::red) << QColor(0x35, 0x35, 0x35) << 4.5 << false << false;
    QTest::newRow("dark grey on dark grey lightens")
        << QColor(0x19, 0x19, 0x19) << QColor(0x35, 0x35, 0x35) << 4.5 << false << false;
    QTest::newRow("white on white darkens")
        << QColor(Qt::white) << QColor(Qt::white) << 4.5 << false << true;
}

void TestContrast::readableColour()
{
    QFETCH(QColor, wanted);
    QFETCH(QColor, background);
    QFETCH(double, needed);
    QFETCH(bool, kept);
    QFETCH(bool, darker);
    const QColor got = readableOn(wanted, background, needed);
    QVERIFY2(contrastRatio(got, background) >= needed, qPrintable(got.name()));
    if (kept) {
        QCOMPARE(got, wanted);
        return;
    }
    QVERIFY(got != wanted);
    QCOMPARE(got.lightnessF() < wanted.lightnessF(), darker);
    // The hue stays: a red stays a red, a grey a grey.
    QCOMPARE(got.hslHue(), wanted.toHsl().hslHue());
    // And it goes no further than needed.
    const QColor oneStepBack =
        QColor::fromHslF(qMax(0.0f, wanted.toHsl().hslHueF()), got.hslSaturationF(),
                         got.lightnessF() + (darker ? 0.02f : -0.02f));
    QVERIFY(contrastRatio(oneStepBack, background) < needed);
}

void TestContrast::largeTextNeedsLess()
{
    QFont font;
    font.setPointSize(9);
    QCOMPARE(neededContrast(font), 4.5);
    font.setBold(true);
    QCOMPARE(neededContrast(font), 4.5);
    font.setPointSize(14);
    QCOMPARE(neededContrast(font), 3.0);
    font.setBold(false);
    QCOMPARE(neededContrast(font), 4.5);
    font.setPointSize(20);
    QCOMPARE(neededContrast(font), 3.0);
}

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
