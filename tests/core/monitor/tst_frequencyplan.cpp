#include "monitor/frequencyplan.h"
#include "monitor/frequencyset.h"

#include <QtTest>

namespace
{

QList<int> stepping(int from, int to, int step)
{
    QList<int> items;
    for (int i = from; i <= to; i += step)
        items.append(i);
    return items;
}

} // namespace

class TestFrequencyPlan : public QObject
{
    Q_OBJECT
private slots:
    void frequencySet_data();
    void frequencySet();
    void autoset_data();
    void autoset();
    void placement_data();
    void placement();
    void spacing_data();
    void spacing();
    void slotsOfAPlan_data();
    void slotsOfAPlan();
    void enteredCentreAndSpan_data();
    void enteredCentreAndSpan();
};

void TestFrequencyPlan::frequencySet_data()
{
    QTest::addColumn<QString>("band");
    QTest::addColumn<double>("centre");
    QTest::addColumn<double>("span");
    QTest::addColumn<int>("q");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("lowerCut");
    QTest::addColumn<bool>("upperCut");
    QTest::addColumn<QList<int>>("items");

    const int placed = FrequencySetPlan::Placed;
    const int tooMany = FrequencySetPlan::TooManyChannels;
    const int outOfRange = FrequencySetPlan::OutOfRange;
    QTest::newRow("autoset span at 100 kHz step: 17 slots")
        << "433" << 433.925 << 1675.0 << 8 << placed << 2 << 137 << false << false
        << stepping(2, 130, 8);
    QTest::newRow("autoset span at 25 kHz step: 68 channels refused")
        << "433" << 433.925 << 1675.0 << 2 << tooMany << 2 << 137 << false << false << QList<int>{};
    QTest::newRow("below the lowest channel: cut at item 0")
        << "433" << 433.1 << 100.0 << 1 << placed << -1 << 8 << true << false << stepping(0, 7, 1);
    QTest::newRow("above the highest channel: cut at item 138")
        << "433" << 434.7 << 300.0 << 1 << placed << 118 << 143 << false << true
        << stepping(118, 138, 1);
    QTest::newRow("inside the band: 24 slots") << "433" << 434.0 << 300.0 << 1 << placed << 63 << 87
                                               << false << false << stepping(63, 86, 1);
    QTest::newRow("433.8 MHz evaluates just below item 59: 34 channels refused")
        << "433" << 434.0 << 400.0 << 1 << tooMany << 58 << 92 << false << false << QList<int>{};
    QTest::newRow("868 band below the lowest channel")
        << "868" << 868.5 << 1000.0 << 4 << placed << -2 << 79 << true << false
        << stepping(0, 76, 4);
    QTest::newRow("868 band autoset span at 100 kHz step")
        << "868" << 869.0 << 1925.0 << 8 << placed << 1 << 156 << false << false
        << stepping(1, 153, 8);
    QTest::newRow("30.5 channels round to 30: accepted, 30 slots")
        << "433" << 434.00625 << 755.0 << 2 << placed << 45 << 106 << false << false
        << stepping(45, 103, 2);
    QTest::newRow("31.5 channels round to 32: refused")
        << "433" << 434.00625 << 780.0 << 2 << tooMany << 44 << 107 << false << false
        << QList<int>{};
    QTest::newRow("lowest channel with span 0: item 0 alone")
        << "433" << 433.0625 << 0.0 << 1 << placed << 0 << 1 << false << false << QList<int>{0};
    QTest::newRow("both edges exceeded: counted uncut, cut at both ends")
        << "433" << 433.925 << 1990.0 << 8 << placed << -11 << 149 << true << true
        << stepping(0, 136, 8);
    QTest::newRow("span wholly below the band: nothing placed")
        << "433" << 432.0 << 100.0 << 1 << placed << -89 << -81 << true << false << QList<int>{};
    QTest::newRow("centre beyond the 16-bit range")
        << "433" << 1.0e6 << 100.0 << 1 << outOfRange << 0 << 0 << false << false << QList<int>{};
    QTest::newRow("span beyond the 16-bit range")
        << "868" << 868.5 << 1.0e9 << 24 << outOfRange << 0 << 0 << false << false << QList<int>{};
    QTest::newRow("centre not a number")
        << "868" << qQNaN() << 100.0 << 1 << outOfRange << 0 << 0 << false << false << QList<int>{};
    QTest::newRow("span infinite")
        << "868" << 868.5 << qInf() << 1 << outOfRange << 0 << 0 << false << false << QList<int>{};
}

void TestFrequencyPlan::frequencySet()
{
    QFETCH(QString, band);
    QFETCH(double, centre);
    QFETCH(double, span);
    QFETCH(int, q);
    QFETCH(int, outcome);
    QFETCH(int, first);
    QFETCH(int, end);
    QFETCH(bool, lowerCut);
    QFETCH(bool, upperCut);
    QFETCH(QList<int>, items);

    const FrequencySetPlan plan = frequencySetPlan(centre, span, planBand(band), q);
    QCOMPARE(int(plan.outcome), outcome);
    if (outcome == FrequencySetPlan::OutOfRange)
        return;
    QCOMPARE(plan.edges.first, first);
    QCOMPARE(plan.edges.end, end);
    QCOMPARE(plan.lowerCut, lowerCut);
    QCOMPARE(plan.upperCut, upperCut);
    QCOMPARE(plan.items, items);
}

void TestFrequencyPlan::autoset_data()
{
    QTest::addColumn<QString>("band");
    QTest::addColumn<QList<int>>("items");
    QTest::addColumn<QString>("centre");
    QTest::addColumn<QString>("span");
    QTest::addColumn<double>("step");
    QTest::newRow("433 MHz") << "433" << QList<int>{2,  7,  11,  16,  21,  25,  30,  34,  39,  44,
                                                    48, 53, 58,  62,  67,  72,  76,  81,  85,  90,
                                                    95, 99, 104, 109, 113, 118, 122, 127, 132, 136}
                             << "433.925MHz"
                             << "1675kHz" << 12.5 * 139.0 / 30.0;
    QTest::newRow("868 MHz") << "868"
                             << QList<int>{2,   7,   13,  18,  23,  28,  34,  39,  44,  50,
                                           55,  60,  66,  71,  76,  81,  87,  92,  97,  103,
                                           108, 113, 119, 124, 129, 134, 140, 145, 150, 156}
                             << "869.000MHz"
                             << "1925kHz" << 66.25;
    QTest::newRow("any other band text is 868 MHz")
        << "" << QList<int>{2,  7,  13, 18, 23,  28,  34,  39,  44,  50,  55,  60,  66,  71,  76,
                            81, 87, 92, 97, 103, 108, 113, 119, 124, 129, 134, 140, 145, 150, 156}
        << "869.000MHz"
        << "1925kHz" << 66.25;
}

void TestFrequencyPlan::autoset()
{
    QFETCH(QString, band);
    QFETCH(QList<int>, items);
    QFETCH(QString, centre);
    QFETCH(QString, span);
    QFETCH(double, step);
    const AutosetPlan plan = autosetPlan(band);
    QCOMPARE(placePlanItems(plan.first, plan.end, plan.spacing), items);
    QCOMPARE(plan.centreText, centre);
    QCOMPARE(plan.spanText, span);
    QCOMPARE(12.5 * plan.spacing, step);
}

void TestFrequencyPlan::placement_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("end");
    QTest::addColumn<double>("spacing");
    QTest::addColumn<QList<int>>("items");
    QTest::newRow("first not below end places nothing") << 5 << 5 << 1.0 << QList<int>{};
    QTest::newRow("first above end places nothing") << 9 << 5 << 1.0 << QList<int>{};
    QTest::newRow("at most 30 slots") << 0 << 100 << 1.0 << stepping(0, 29, 1);
    QTest::newRow("half items round to even")
        << 0 << 4 << 0.5 << QList<int>{0, 0, 1, 2, 2, 2, 3, 4};
}

void TestFrequencyPlan::placement()
{
    QFETCH(int, first);
    QFETCH(int, end);
    QFETCH(double, spacing);
    QFETCH(QList<int>, items);
    QCOMPARE(placePlanItems(first, end, spacing), items);
}

void TestFrequencyPlan::spacing_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("q"); // 0: no spacing
    const int widths[] = {1, 1, 2, 4, 8, 12, 24};
    for (int i = 0; i < 7; ++i)
        QTest::addRow("B channel width item %d", i) << "B" << i << widths[i];
    const int rates[] = {1, 1, 1, 2, 4, 8};
    for (int i = 0; i < 6; ++i)
        QTest::addRow("C data rate item %d", i) << "C" << i << rates[i];
    QTest::newRow("calibration software uses the channel width") << "x" << 4 << 8;
    QTest::newRow("C at 76800 has none") << "C" << 6 << 0;
    QTest::newRow("C at 153600 has none") << "C" << 7 << 0;
    QTest::newRow("C without selection") << "C" << -1 << 0;
    QTest::newRow("B without selection") << "B" << -1 << 0;
    QTest::newRow("B beyond the list") << "B" << 7 << 0;
}

void TestFrequencyPlan::spacing()
{
    QFETCH(QString, type);
    QFETCH(int, item);
    QFETCH(int, q);
    QCOMPARE(planSpacing(type, item).value_or(0), q);
}

void TestFrequencyPlan::slotsOfAPlan_data()
{
    QTest::addColumn<QList<int>>("items");
    QTest::addColumn<int>("channelCount");
    QTest::addColumn<QList<int>>("slotItems");
    QTest::newRow("items of the list fill slots from 1")
        << QList<int>{2, 7, 11} << 139 << QList<int>{2, 7, 11};
    QTest::newRow("items beyond the list leave their slot empty")
        << QList<int>{136, 140, 156} << 139 << QList<int>{136, -1, -1};
    QTest::newRow("at most 30 slots") << stepping(0, 40, 1) << 159 << stepping(0, 29, 1);
    QTest::newRow("no items touch no slot") << QList<int>{} << 139 << QList<int>{};
}

void TestFrequencyPlan::slotsOfAPlan()
{
    QFETCH(QList<int>, items);
    QFETCH(int, channelCount);
    QFETCH(QList<int>, slotItems);
    QCOMPARE(planSlotItems(items, channelCount), slotItems);
}

// The entered texts in the notation of a locale: the window reads the user's, the command line
// the C locale's.
void TestFrequencyPlan::enteredCentreAndSpan_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("spacingItem");
    QTest::addColumn<QString>("centre");
    QTest::addColumn<QString>("span");
    QTest::addColumn<int>("refusal");
    QTest::addColumn<QStringList>("english");
    QTest::addColumn<QList<int>>("items");
    QTest::addColumn<QString>("centreLabel");

    const int none = FrequencySetResult::None;
    QTest::newRow("C locale, B module at 100 kHz width")
        << "C"
        << "B" << 3 << "434.0"
        << "300" << none << QStringList{} << stepping(63, 83, 4) << "434MHz";
    QTest::newRow("German notation")
        << "de_DE"
        << "B" << 4 << "433,925"
        << "1675" << none << QStringList{} << stepping(2, 130, 8) << "433,925MHz";
    QTest::newRow("a point is no decimal separator in German")
        << "de_DE"
        << "B" << 4 << "433.925"
        << "1675" << int(FrequencySetResult::NotANumber)
        << QStringList{"Invalid entry!\r\n(Enter the center in MHz and the span in kHz as "
                       "numbers)"}
        << QList<int>{} << "";
    QTest::newRow("lower edge notice in the locale's notation")
        << "de_DE"
        << "C" << 1 << "433,1"
        << "100" << none
        << QStringList{"Lowest valid frequency = 433,0625MHz\r\n=> Span to large, lower end is cut"}
        << stepping(0, 7, 1) << "433,1MHz";
    QTest::newRow("C module at 76800 has no step")
        << "C"
        << "C" << 6 << "434"
        << "300" << int(FrequencySetResult::NoSpacing)
        << QStringList{"No monitor step for the configured radio datarate!\r\n(Choose a "
                       "datarate up to 38400)"}
        << QList<int>{} << "";
    QTest::newRow("too many channels for the bandwidth")
        << "C"
        << "B" << 2 << "433.925"
        << "1675" << int(FrequencySetResult::TooManyChannels)
        << QStringList{"Span to small for actual RBW!\r\n(Reduce span or raise radio datarate)"}
        << QList<int>{} << "";
    QTest::newRow("negative span")
        << "C"
        << "B" << 4 << "434"
        << "-1" << int(FrequencySetResult::NegativeSpan)
        << QStringList{"Invalid entry!\r\n(The span must not be negative)"} << QList<int>{} << "";
    QTest::newRow("empty centre") << "C"
                                  << "B" << 4 << ""
                                  << "300" << int(FrequencySetResult::EmptyEntry)
                                  << QStringList{"Invalid entry!"} << QList<int>{} << "";
}

void TestFrequencyPlan::enteredCentreAndSpan()
{
    QFETCH(QString, locale);
    QFETCH(QString, type);
    QFETCH(int, spacingItem);
    QFETCH(QString, centre);
    QFETCH(QString, span);
    QFETCH(int, refusal);
    QFETCH(QStringList, english);
    QFETCH(QList<int>, items);
    QFETCH(QString, centreLabel);

    FrequencySetRequest request;
    request.centreText = centre;
    request.spanText = span;
    request.frqVersion = QStringLiteral("433");
    request.typeLetter = type;
    request.spacingItem = spacingItem;
    request.locale = QLocale(locale);
    const FrequencySetResult result = ::frequencySet(request);
    QCOMPARE(int(result.refusal), refusal);
    QStringList shown;
    for (const PlanMessage &message : result.messages) {
        QVERIFY(!message.german.isEmpty());
        shown << message.english;
    }
    QCOMPARE(shown, english);
    QCOMPARE(result.items, items);
    QCOMPARE(result.centreLabel, centreLabel);
    QCOMPARE(result.spanLabel, centreLabel.isEmpty() ? QString() : span + QStringLiteral("kHz"));
}

QTEST_APPLESS_MAIN(TestFrequencyPlan)
#include "tst_frequencyplan.moc"
