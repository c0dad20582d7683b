#include "window/selfcheck.h"

#include "module/storedconfig.h"
#include "module/textfile.h"
#include "texts/messages.h"
#include "window/tform1.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextStream>

int runSelfCheck(TForm1 &form, QTextStream &out)
{
    auto *location = form.findChild<QComboBox *>(QStringLiteral("CBox_Speicher"));
    auto *info = form.findChild<QLineEdit *>(QStringLiteral("Edit_info"));
    auto *save = form.findChild<QPushButton *>(QStringLiteral("BtnSave"));
    if (!location || !info || !save) {
        out << "self-check: the save group is missing\n";
        return 1;
    }
    // A message box would wait for a click nobody makes; its text is the result instead.
    QStringList messages;
    Messages::setPresenterForTest([&messages](Messages::Kind, const QString &text) {
        messages << text;
        return true;
    });
    const QString description = QStringLiteral("Korvel-Config self-check");
    location->setEditText(QStringLiteral("self-check"));
    info->setText(description);
    save->click();
    Messages::setPresenterForTest({});

    const QString path = form.dataFolder() + QStringLiteral("self-check.txt");
    if (!messages.isEmpty()) {
        out << "self-check: " << messages.join(QLatin1Char(' ')) << '\n';
        return 1;
    }
    const SmallFileRead file = readSmallFile(path, kStoredConfigMaxBytes);
    const QStringList lines = storedConfigLines(file.bytes);
    if (file.status != SmallFileStatus::Read || lines.value(0) != description) {
        out << "self-check: " << path << " was not saved " << file.error << '\n';
        return 1;
    }
    out << path << '\n';
    return 0;
}
