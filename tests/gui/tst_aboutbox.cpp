#include "support_window.h"

#include "window/aboutbox.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

class TestAboutBox : public QObject
{
    Q_OBJECT
private slots:
    void infoOpensTheBoxInTheLanguage_data();
    void infoOpensTheBoxInTheLanguage();
    void logoIsDrawn();
};

void TestAboutBox::infoOpensTheBoxInTheLanguage_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("information");
    QTest::addColumn<QString>("dateLabel");
    QTest::addColumn<QString>("heading");
    QTest::newRow("German") << 0 << QStringLiteral("Infos zu Korvel-Config Version 2.1")
                            << QStringLiteral("Konfigurationstool für  Korvel433/868-xx-xx")
                            << QStringLiteral("Datum:") << QStringLiteral("Kompatibel für Module:");
    QTest::newRow("English") << 1 << QStringLiteral("About Korvel-Config version 2.1")
                             << QStringLiteral("Configurationtool for  Korvel433/868-xx-xx")
                             << QStringLiteral("Date:") << QStringLiteral("Modul compatibility:");
    QTest::newRow("no language chosen")
        << -1 << QStringLiteral("About Korvel-Config version 2.1")
        << QStringLiteral("Configurationtool for  Korvel433/868-xx-xx") << QStringLiteral("Date:")
        << QStringLiteral("Modul compatibility:");
}

void TestAboutBox::infoOpensTheBoxInTheLanguage()
{
    QFETCH(int, language);
    QFETCH(QString, caption);
    QFETCH(QString, information);
    QFETCH(QString, dateLabel);
    QFETCH(QString, heading);
    WindowRig rig;
    // The program start has created the box already; the click fills and shows it.
    auto *box = rig.form->findChild<TAboutBox *>(QStringLiteral("AboutBox"));
    QVERIFY(box);
    QVERIFY(!box->isVisible());
    rig.form->setLanguageIndex(language);

    QHash<QString, QString> seen;
    QStringList memo;
    bool wasModal = false;
    QTimer::singleShot(0, box, [&] {
        wasModal = QApplication::activeModalWidget() == box;
        seen[QStringLiteral("caption")] = box->windowTitle();
        for (QLabel *label : box->findChildren<QLabel *>())
            seen[label->objectName()] = label->text();
        memo = box->findChild<QPlainTextEdit *>(QStringLiteral("MemoKompatibel"))
                   ->toPlainText()
                   .split(QLatin1Char('\n'));
        box->findChild<QPushButton *>(QStringLiteral("OKButton"))->click();
    });
    rig.button("BtnInfo")->click();

    QVERIFY(wasModal);
    QVERIFY(!box->isVisible());
    QCOMPARE(seen.value(QStringLiteral("caption")), caption);
    QCOMPARE(seen.value(QStringLiteral("ProductName")), QStringLiteral("Korvel-Config"));
    QCOMPARE(seen.value(QStringLiteral("Information")), information);
    QCOMPARE(seen.value(QStringLiteral("Label_Version")), QStringLiteral("Version:"));
    QCOMPARE(seen.value(QStringLiteral("Version")), QStringLiteral("2.1"));
    QCOMPARE(seen.value(QStringLiteral("Label_Date")), dateLabel);
    QCOMPARE(seen.value(QStringLiteral("Datum")), QStringLiteral("14.05.2008"));
    QCOMPARE(seen.value(QStringLiteral("Label_Design")), QStringLiteral("Design:"));
    QCOMPARE(seen.value(QStringLiteral("Label_Web")), QStringLiteral("Web:"));
    for (const char *maker : {"Firma", "Design", "Web"})
        QVERIFY2(!seen.value(QLatin1String(maker)).trimmed().isEmpty(), maker);
    QVERIFY(seen.value(QStringLiteral("Web")).startsWith(QStringLiteral("https://")));
    // The last line names the folder of the settings and stored configurations.
    const QString files = seen.value(QStringLiteral("LabelDataFolder"));
    QVERIFY2(
        files.startsWith(language == 0 ? QLatin1String("Dateien: ") : QLatin1String("Files: ")),
        qPrintable(files));
    QVERIFY2(rig.programFolder.endsWith(files.section(QLatin1Char('/'), -2, -2)),
             qPrintable(files));

    const QStringList expected = {
        heading,
        QStringLiteral("***************************"),
        QStringLiteral("-Korvel433-10-B3   -Korvel868-10-B3           -Korvel433-10-C2   "
                       "-Korvel868-10-C2"),
        QStringLiteral("-Korvel433-11-B3   -Korvel868-11-B3           -Korvel433-11-C2   "
                       "-Korvel868-11-C2"),
        QStringLiteral("-Korvel433-12-B3   -Korvel868-12-B3           -Korvel433-12-C2   "
                       "-Korvel868-12-C2"),
        QStringLiteral("-Korvel433-13-B3   -Korvel868-13-B3           -Korvel433-13-C2   "
                       "-Korvel868-13-C2"),
        QStringLiteral("-Korvel433-14-B4   -Korvel868-14-B4           -Korvel433-14-C3   "
                       "-Korvel868-14-C3"),
    };
    QCOMPARE(memo, expected);

    // A second opening after a language switch shows the other language.
    rig.form->setLanguageIndex(language == 0 ? 1 : 0);
    QString secondCaption;
    QTimer::singleShot(0, box, [&] {
        secondCaption = box->windowTitle();
        box->reject();
    });
    rig.button("BtnInfo")->click();
    QVERIFY(secondCaption != caption);
    QVERIFY(secondCaption.contains(QStringLiteral("Korvel-Config")));
}

void TestAboutBox::logoIsDrawn()
{
    const QImage logo = drawKorvelLogo(350, 90).toImage();
    QCOMPARE(logo.size(), QSize(350, 90));
    // Drawn, not blank: the face, the mast and the name give many colours.
    QSet<QRgb> colours;
    for (int y = 0; y < logo.height(); y += 3)
        for (int x = 0; x < logo.width(); x += 3)
            colours.insert(logo.pixel(x, y));
    QVERIFY(colours.size() > 20);
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
