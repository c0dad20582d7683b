#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The password dialog: a prompt, a masked entry that keeps its text between showings, OK and
// Cancel. Made once and shown again for every request.
class TPasswordDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget *parent = nullptr);

    // Caption and prompt for the current language.
    void setTexts(const QString &caption, const QString &prompt);
    QString password() const;

    QLabel *LabelText = nullptr;
    QLineEdit *Password = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
};
