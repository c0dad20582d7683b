#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The frequency dialog (form Dlg_frq): centre frequency in MHz and span in kHz. Created once and
// kept, so the two edits keep their text from one opening to the next.
class TDlg_frq : public QDialog
{
    Q_OBJECT
public:
    explicit TDlg_frq(QWidget *parent = nullptr);

    // Caption and centre label for the language (German for 0, English otherwise).
    void applyLanguage(int languageIndex);

    QFrame *Bevel1 = nullptr;
    QLabel *LabelCenter = nullptr;
    QLineEdit *EditDlg_Frq_Center = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *EditDlg_Frq_Span = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
};
