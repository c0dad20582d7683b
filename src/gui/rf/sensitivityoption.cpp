#include "rf/sensitivityoption.h"

#include "rf/linkcontrol.h"
#include "rf/passworddlg.h"
#include "texts/messages.h"
#include "widgets/contrast.h"

#include <QCheckBox>
#include <QLineEdit>

SensitivityOption::SensitivityOption(QCheckBox *box, QLineEdit *interval, TPasswordDlg *dialog,
                                     const LinkControl &linkControl, const int *languageIndex,
                                     QObject *parent)
    : QObject(parent), m_box(box), m_interval(interval), m_dialog(dialog),
      m_linkControl(linkControl), m_languageIndex(languageIndex)
{
}

bool SensitivityOption::isPassword(const QString &entry)
{
    return entry == QLatin1String("Morgentauwiesen");
}

void SensitivityOption::unlock()
{
    m_unlocked = true;
    // The caption leaves the locked grey for the normal text colour.
    stopKeepingTextReadable(m_box);
    m_box->setPalette(QPalette());
}

void SensitivityOption::CBoxLinkControl_EmpfClick()
{
    const int language = *m_languageIndex;
    m_dialog->setTexts(Messages::choose(language, QStringLiteral("Passwort-Dialog"),
                                        QStringLiteral("Password dialog")),
                       Messages::choose(language,
                                        QStringLiteral("Funktion Passworteingabe aktivieren:"),
                                        QStringLiteral("Enter password to activate function:")));
    if (m_box->isChecked() && !m_unlocked && m_dialog->exec() == QDialog::Accepted) {
        if (isPassword(m_dialog->password()))
            unlock();
        else
            Messages::inform(m_box->window(),
                             Messages::choose(language, QStringLiteral("Falsche Passworteingabe!"),
                                              QStringLiteral("Password not valid!")));
    }
    if (!m_unlocked) {
        // Runs this handler once more, which then finds the box unchecked and leaves it so.
        m_box->setChecked(false);
        return;
    }
    // A running LinkControl keeps the interval it started with; the edit shows that one.
    if (m_linkControl.runGoing())
        return;
    if (const auto minimum = m_linkControl.computeMinLinkInterval())
        m_interval->setText(QString::number(*minimum));
}
