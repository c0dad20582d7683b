#pragma once

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct ModuleContext;

// The controls of GBox_Save_konfig: nine memory locations on the PC.
struct SaveControls {
    QComboBox *CBox_Speicher = nullptr;
    QLineEdit *Edit_info = nullptr;
    QPushButton *BtnSave = nullptr;
    QPushButton *BtnLoad = nullptr;
    QLabel *LabelSpeicher = nullptr;
    QLabel *Label_Info = nullptr;
};

void buildSaveControls(QGroupBox *group, SaveControls &save);

// Handlers: location changed (shows the stored description), Save, Load.
void memoryLocationChanged(ModuleContext &ctx, SaveControls &save);
void saveConfiguration(ModuleContext &ctx, SaveControls &save);
void loadConfiguration(ModuleContext &ctx, SaveControls &save);
