#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPixmap;
class QPlainTextEdit;
class QPushButton;

// The modal about box: the tool's name, version and date, the module models it works with, and
// the maker's lines. Its texts are filled at each opening in the language of that moment.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    // The logo's size in the design; it is drawn for the screen's pixel ratio.
    static constexpr int kLogoWidth = 350;
    static constexpr int kLogoHeight = 90;

    explicit TAboutBox(QWidget *parent = nullptr);

    // Sets every text in the language of the index (German for 0, English otherwise).
    void fillTexts(int languageIndex);
    // The folder that holds the settings and stored configurations, shown in the last line.
    void setDataFolder(const QString &folder) { m_dataFolder = folder; }

    QFrame *Panel1 = nullptr;
    QLabel *ProductName = nullptr;
    QLabel *Information = nullptr;
    QLabel *ProgramIcon = nullptr;
    QPlainTextEdit *MemoKompatibel = nullptr;
    QLabel *Label_Version = nullptr;
    QLabel *Version = nullptr;
    QLabel *Label_Date = nullptr;
    QLabel *Datum = nullptr;
    QLabel *Firma = nullptr;
    QLabel *Label_Design = nullptr;
    QLabel *Design = nullptr;
    QLabel *Label_Web = nullptr;
    QLabel *Web = nullptr;
    QPushButton *OKButton = nullptr;
    QLabel *LabelDataFolder = nullptr;

private:
    void fitToScreen();

    QString m_dataFolder;
};

// The tool's logo: its name with a radio mast sending waves, drawn at the given size.
QPixmap drawKorvelLogo(int width, int height);
