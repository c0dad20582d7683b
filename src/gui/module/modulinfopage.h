#pragma once

class QLabel;
class QLineEdit;
class QWidget;

// The read-only fields of the Modulinfo page: the program's record of the module.
struct ModulinfoControls {
    QLineEdit *EditModTyp = nullptr;
    QLineEdit *Edit_SW_Version = nullptr;
    QLineEdit *Edit_SW_Speed = nullptr;
    QLineEdit *Edit_SW_Typ = nullptr;
    QLineEdit *Edit_SW_Typ_Klartext = nullptr;
    QLineEdit *Edit_Bef_Version = nullptr;
    QLineEdit *Edit_HW_Version = nullptr;
    QLineEdit *Edit_HW_Version_Klartext = nullptr;
    QLineEdit *Edit_Frq_Version = nullptr;
    QLineEdit *Edit_Ser_NR = nullptr;
    QLineEdit *Edit_Caldata = nullptr;

    QLabel *Label_ModTyp = nullptr;
    QLabel *Label_SW_Version = nullptr;
    QLabel *Label_SW_Speed = nullptr;
    QLabel *Label_SW_Typ = nullptr;
    QLabel *Label_Bef_Version = nullptr;
    QLabel *Label_HW_Version = nullptr;
    QLabel *Label_Frq_Version = nullptr;
    QLabel *Label_Ser_NR = nullptr;
    QLabel *Label_Caldata = nullptr;
};

void buildModulinfo(QWidget *page, ModulinfoControls &info);
