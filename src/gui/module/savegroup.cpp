#include "module/savegroup.h"

#include "module/storedfilecheck.h"

#include "module/modulecontext.h"
#include "module/storedconfig.h"
#include "module/textfile.h"
#include "widgets/controls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace
{

// What Edit_info shows for a location without a file.
const QString kEmptyLocation = QStringLiteral("(leer)");

// "(leer)" is a note, not a description: it is selected when the field gets the focus and the
// first key typed replaces it. Left alone it is stored as it stands.
class EmptyLocationNote : public QObject
{
public:
    explicit EmptyLocationNote(QLineEdit *edit) : QObject(edit), m_edit(edit)
    {
        edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_edit || !showsNote())
            return false;
        if (event->type() == QEvent::FocusIn) {
            // After the mouse press that gave the focus has placed the cursor.
            QTimer::singleShot(0, m_edit, [edit = m_edit] {
                if (edit->text() == kEmptyLocation && !edit->isModified())
                    edit->selectAll();
            });
        } else if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<const QKeyEvent *>(event);
            const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint();
            if (typed || key->matches(QKeySequence::Paste))
                m_edit->clear();
        }
        return false;
    }

private:
    bool showsNote() const { return m_edit->text() == kEmptyLocation && !m_edit->isModified(); }

    QLineEdit *m_edit;
};

QString locationPath(ModuleContext &ctx, const SaveControls &save)
{
    return ctx.host.programFolder() + save.CBox_Speicher->currentText() + QStringLiteral(".txt");
}

bool locationChosen(ModuleContext &ctx, const SaveControls &save)
{
    if (!save.CBox_Speicher->currentText().isEmpty())
        return true;
    ctx.host.showMessage(QStringLiteral("Speicherplatz wählen!"),
                         QStringLiteral("Choose memory location!"));
    return false;
}

void reportTooLarge(ModuleContext &ctx)
{
    const WriteMessage message = storedConfigTooLarge();
    ctx.host.showMessage(message.german, message.english);
}

} // namespace

void buildSaveControls(QGroupBox *group, SaveControls &save)
{
    auto *grid = new QGridLayout(group);
    save.LabelSpeicher = new QLabel(QStringLiteral("Speicherplatz:"), group);
    save.LabelSpeicher->setObjectName(QStringLiteral("LabelSpeicher"));
    save.CBox_Speicher = new QComboBox(group);
    save.CBox_Speicher->setObjectName(QStringLiteral("CBox_Speicher"));
    save.CBox_Speicher->setEditable(true);
    save.CBox_Speicher->setInsertPolicy(QComboBox::NoInsert);
    for (int location = 1; location <= 9; ++location)
        save.CBox_Speicher->addItem(QStringLiteral("M%1").arg(location));
    selectComboItem(save.CBox_Speicher, -1);
    save.Label_Info = new QLabel(QStringLiteral("Info:"), group);
    save.Label_Info->setObjectName(QStringLiteral("Label_Info"));
    save.Edit_info = new QLineEdit(group);
    save.Edit_info->setObjectName(QStringLiteral("Edit_info"));
    new EmptyLocationNote(save.Edit_info);
    save.BtnSave = new QPushButton(QStringLiteral("speichern"), group);
    save.BtnSave->setObjectName(QStringLiteral("BtnSave"));
    save.BtnLoad = new QPushButton(QStringLiteral("laden"), group);
    save.BtnLoad->setObjectName(QStringLiteral("BtnLoad"));
    grid->addWidget(save.LabelSpeicher, 0, 0);
    grid->addWidget(save.CBox_Speicher, 0, 1);
    grid->addWidget(save.BtnSave, 0, 2);
    grid->addWidget(save.Label_Info, 1, 0);
    grid->addWidget(save.Edit_info, 1, 1);
    grid->addWidget(save.BtnLoad, 1, 2);
    grid->setColumnStretch(1, 1);
}

void memoryLocationChanged(ModuleContext &ctx, SaveControls &save)
{
    // Only the first line is read: the file may be anything a user put there.
    const auto line = readFirstLine(locationPath(ctx, save), kStoredConfigMaxBytes);
    save.Edit_info->setText(line ? fromWindows1252(*line) : kEmptyLocation);
}

void saveConfiguration(ModuleContext &ctx, SaveControls &save)
{
    if (!locationChosen(ctx, save))
        return;
    StoredConfig config;
    config.info = save.Edit_info->text();
    config.typeLetter = ctx.typeLetter();
    if (isTabShown(ctx.app.PageControl1, ctx.app.Konfig_B))
        config.b = readKonfigB(ctx.b);
    if (isTabShown(ctx.app.PageControl1, ctx.app.Konfig_C))
        config.c = readKonfigC(ctx.c);

    // The file is written beside the old one and replaces it only when complete.
    const QString path = locationPath(ctx, save);
    const QString reason = saveFileAtomically(path, encodeStoredConfig(config));
    if (!reason.isEmpty()) {
        ctx.host.showMessage(
            QStringLiteral("Konfiguration konnte nicht gespeichert werden:\r\n%1\r\n%2")
                .arg(path, reason),
            QStringLiteral("Could not save the configuration:\r\n%1\r\n%2").arg(path, reason));
    }
}

void loadConfiguration(ModuleContext &ctx, SaveControls &save)
{
    if (!locationChosen(ctx, save))
        return;
    const SmallFileRead file = readSmallFile(locationPath(ctx, save), kStoredConfigMaxBytes);
    if (file.status == SmallFileStatus::TooLarge) {
        reportTooLarge(ctx);
        return;
    }
    const StoredConfigUse use = useStoredConfig(
        file.bytes, file.status == SmallFileStatus::Read, ctx.typeLetter(),
        isTabShown(ctx.app.PageControl1, ctx.app.Konfig_B),
        isTabShown(ctx.app.PageControl1, ctx.app.Konfig_C), bItemCounts(ctx.b), cItemCounts(ctx.c));
    if (!use.usable()) {
        ctx.host.showMessage(use.refusal.german, use.refusal.english);
        return;
    }
    const auto &b = use.b;
    const auto &c = use.c;
    if (b)
        applyKonfigB(ctx.b, *b);
    if (c)
        applyKonfigC(ctx.c, *c);
}
