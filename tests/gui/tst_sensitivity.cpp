#include "support_window.h"

#include "rf/passworddlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>

// The password-locked sensitivity option of LinkControl.
class TestSensitivity : public QObject
{
    Q_OBJECT
private slots:
    void unlockOnceThenPlainSwitch();
};

namespace
{

struct Seen {
    bool shown = false;
    QString caption;
    QString prompt;
    QString entryBefore;
    int passwordCharacter = 0;
};

// Answers the next showing of the password dialog with entry and OK, or with Cancel.
void answerDialog(TPasswordDlg *dialog, const QString &entry, bool ok, Seen &seen)
{
    seen = Seen{};
    QTimer::singleShot(0, dialog, [=, &seen] {
        seen.shown = dialog->isVisible();
        seen.caption = dialog->windowTitle();
        seen.prompt = dialog->LabelText->text();
        seen.entryBefore = dialog->Password->text();
        seen.passwordCharacter = dialog->Password->style()->styleHint(
            QStyle::SH_LineEdit_PasswordCharacter, nullptr, dialog->Password);
        dialog->Password->setText(entry);
        (ok ? dialog->OKBtn : dialog->CancelBtn)->click();
    });
}

} // namespace

void TestSensitivity::unlockOnceThenPlainSwitch()
{
    // Fusion would show each character of the password as a dot.
    QApplication::setStyle(QStringLiteral("Fusion"));
    EmulatorConfig config;
    config.type = 'C';
    WindowRig rig(config);
    rig.form->setLanguageIndex(1);
    rig.connectModule(); // serial 19200, radio 9600
    rig.find<QTabWidget>("PageControl1")->setCurrentWidget(rig.find<QWidget>("HF_Test"));
    auto *box = rig.find<QCheckBox>("CBoxLinkControl_Empf");
    auto *dialog = rig.find<TPasswordDlg>("PasswordDlg");
    QLineEdit *interval = rig.find<QLineEdit>("EditLinkControl_Interval");
    const QColor normal = rig.form->palette().color(QPalette::WindowText);
    QVERIFY(box->palette().color(QPalette::WindowText) != normal);
    QCOMPARE(interval->text(), QStringLiteral("49"));
    Seen seen;

    // The comparison is case-sensitive.
    answerDialog(dialog, QStringLiteral("morgentauwiesen"), true, seen);
    box->click();
    QVERIFY(seen.shown);
    QCOMPARE(seen.caption, QStringLiteral("Password dialog"));
    QCOMPARE(seen.prompt, QStringLiteral("Enter password to activate function:"));
    QCOMPARE(rig.messages, QStringList{"Password not valid!"});
    QCOMPARE(seen.passwordCharacter, int('*'));
    QVERIFY(!box->isChecked());
    QVERIFY(box->palette().color(QPalette::WindowText) != normal);
    QCOMPARE(interval->text(), QStringLiteral("49"));

    // Cancel: no message, unchecked; the entry kept its text.
    rig.messages.clear();
    answerDialog(dialog, QString(), false, seen);
    box->click();
    QCOMPARE(seen.entryBefore, QStringLiteral("morgentauwiesen"));
    QCOMPARE(rig.messages, QStringList());
    QVERIFY(!box->isChecked());

    // The right word unlocks for good: the sensitivity minimum ⌈40000/19200⌉ + ⌈96000/9600⌉ + 8.
    answerDialog(dialog, QStringLiteral("Morgentauwiesen"), true, seen);
    box->click();
    QCOMPARE(rig.messages, QStringList());
    QVERIFY(box->isChecked());
    QCOMPARE(box->palette().color(QPalette::WindowText), normal);
    QCOMPARE(interval->text(), QStringLiteral("21"));

    // From now on a plain switch: no dialog, and the interval follows every change.
    seen = Seen{};
    box->click();
    QVERIFY(!box->isChecked());
    QCOMPARE(interval->text(), QStringLiteral("49"));
    box->click();
    QVERIFY(box->isChecked());
    QCOMPARE(interval->text(), QStringLiteral("21"));
    QVERIFY(!seen.shown);
    QVERIFY(!dialog->isVisible());

    // During a LinkControl run the edit keeps the interval the run uses.
    interval->setText(QStringLiteral("200"));
    QString duringRun;
    QTimer::singleShot(0, rig.form.get(), [&] {
        box->click();
        duringRun = interval->text();
        rig.button("BtnStartLinkControl")->click();
    });
    rig.button("BtnStartLinkControl")->click();
    QCOMPARE(duringRun, QStringLiteral("200"));
    QVERIFY(!box->isChecked());
    QCOMPARE(interval->text(), QStringLiteral("200"));
}

QTEST_MAIN(TestSensitivity)
#include "tst_sensitivity.moc"
