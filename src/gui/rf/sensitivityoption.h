#pragma once

#include <QObject>

class LinkControl;
class QCheckBox;
class QLineEdit;
class TPasswordDlg;

// The sensitivity-measurement option of LinkControl. It is locked until the right password has
// been given once since the program started; a locked box shows its caption in grey and falls
// back to unchecked. Every change of the unlocked box puts the new minimum interval into the
// interval edit.
class SensitivityOption : public QObject
{
    Q_OBJECT
public:
    SensitivityOption(QCheckBox *box, QLineEdit *interval, TPasswordDlg *dialog,
                      const LinkControl &linkControl, const int *languageIndex,
                      QObject *parent = nullptr);

    // Handler of every change of the box's checked state.
    void CBoxLinkControl_EmpfClick();
    bool isUnlocked() const { return m_unlocked; }

    // The stored password, compared exactly.
    static bool isPassword(const QString &entry);

private:
    void unlock();

    QCheckBox *m_box;
    QLineEdit *m_interval;
    TPasswordDlg *m_dialog;
    const LinkControl &m_linkControl;
    const int *m_languageIndex;
    bool m_unlocked = false;
};
