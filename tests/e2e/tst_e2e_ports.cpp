#include "support_sim.h"

#include "link/comport.h"
#include "link/simregistry.h"
#include "texts/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The port list as korvel-sim and the real serial port meet it. The module answers nothing here:
// what the list offers is shown by what korvel-sim hears, so no wait for an answer is involved.
class TestEndToEndPorts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void runningSimulatorIsOfferedAndRemembered();

private:
    QTemporaryDir m_runtime;
};

void TestEndToEndPorts::initTestCase()
{
    // The simulators of this test, and only they, register in this runtime folder.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
}

void TestEndToEndPorts::runningSimulatorIsOfferedAndRemembered()
{
    const QString link = m_runtime.path() + QStringLiteral("/korvel-sim/korvel-sim-2468");
    QTemporaryDir settings;
    {
        SimProcess sim;
        QVERIFY2(sim.start({"--serial", "2468", "--no-startup-report", "--silent"}),
                 qPrintable(SimProcess::program()));
        QTRY_VERIFY2(QFileInfo(link).isSymLink(), qPrintable(sim.log()));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.devicePath());

        SimWindow window;
        // The list is built when it opens.
        QComboBox *port = window.combo("CBox_COM");
        port->showPopup();
        port->hidePopup();
        const int item = port->findText(link);
        QVERIFY2(item >= 0, qPrintable(link));
        QCOMPARE(port->itemText(port->count() - 1), QStringLiteral("DEMO"));
        QVERIFY(port->itemData(item, Qt::ToolTipRole).toString().contains(sim.devicePath()));

        window.choose("CBox_COM", item);
        window.choose("CBox_RS232_baud", QStringLiteral("19200"));
        window.button("BtnVerbinden")->click();
        QCOMPARE(window.messages,
                 QStringList{QStringLiteral("Transmission error!\r\n(Check COM und baudrate)")});
        // The item leads to this korvel-sim, which saw the line open at the chosen rate.
        QString log;
        QTRY_VERIFY2((log += sim.log()).contains(QLatin1String("line opened at 19200 baud")),
                     qPrintable(log));

        // The choice is kept by name for the next start.
        window.find<QCheckBox>("CheckBox_ComSave")->setChecked(true);
        window.form->close();
        QFile::copy(window.dir.filePath(QStringLiteral("Korvel_ComSetting.ini")),
                    settings.filePath(QStringLiteral("Korvel_ComSetting.ini")));
    }
    // The simulator has ended: its link is gone, and the list no longer offers it.
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(SimRegistry::running().isEmpty());

    SimProcess again;
    QVERIFY(again.start({QStringLiteral("--serial"), QStringLiteral("2468")}));
    QTRY_VERIFY(QFileInfo(link).isSymLink());
    QStringList messages;
    Messages::setPresenterForTest([&messages](Messages::Kind, const QString &text) {
        messages << text;
        return true;
    });
    {
        TForm1 form(settings.path());
        QCOMPARE(form.findChild<QComboBox *>(QStringLiteral("CBox_COM"))->currentText(), link);
        QCOMPARE(form.port().portName(), link);
    }
    Messages::setPresenterForTest({});
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
}

QTEST_MAIN(TestEndToEndPorts)
#include "tst_e2e_ports.moc"
