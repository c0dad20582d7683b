#pragma once

#include "emulatordevice.h"
#include "link/comport.h"
#include "texts/messages.h"
#include "window/tform1.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A main window whose port talks to an emulated module, with message boxes recorded instead of
// shown, in a program folder of its own.
struct WindowRig {
    explicit WindowRig(const EmulatorConfig &config = {}, const QString &folder = {})
    {
        // The port list offers the korvel-sim instances of the runtime folder: none here, whatever
        // runs beside the test.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        ComPort::setDeviceFactoryForTest([this, config] {
            auto made = std::make_unique<EmulatorDevice>(config);
            device = made.get();
            return made;
        });
        Messages::setPresenterForTest([this](Messages::Kind kind, const QString &text) {
            messages << text;
            return kind == Messages::Kind::Question ? answerYes : true;
        });
        programFolder = folder.isEmpty() ? dir.path() : folder;
        form = std::make_unique<TForm1>(programFolder);
    }
    ~WindowRig()
    {
        form.reset();
        if (m_runtimeBefore.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", m_runtimeBefore);
        ComPort::setDeviceFactoryForTest({});
        Messages::setPresenterForTest({});
    }

    template <typename T> T *find(const char *name) const
    {
        T *widget = form->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no control named %s", name);
        return widget;
    }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    QComboBox *combo(const char *name) const { return find<QComboBox>(name); }
    QString text(const char *name) const { return find<QLineEdit>(name)->text(); }

    // Chooses an item as the user does: the list's item and the combo box's activation.
    void choose(const char *comboName, const QString &item)
    {
        QComboBox *box = combo(comboName);
        int index = box->findText(item);
        if (index < 0) {
            box->addItem(item);
            index = box->count() - 1;
        }
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void connectModule(const QString &port = QStringLiteral("COM3"),
                       const QString &baud = QStringLiteral("19200"))
    {
        choose("CBox_COM", port);
        choose("CBox_RS232_baud", baud);
        button("BtnVerbinden")->click();
    }
    bool tabVisible(const char *page) const
    {
        auto *tabs = find<QTabWidget>("PageControl1");
        return tabs->isTabVisible(tabs->indexOf(find<QWidget>(page)));
    }

    QByteArray m_runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir runtime;
    QTemporaryDir dir;
    QString programFolder;
    EmulatorDevice *device = nullptr;
    QStringList messages;
    bool answerYes = true;
    std::unique_ptr<TForm1> form;
};

inline const QString kTransmissionErrorEn =
    QStringLiteral("Transmission error!\r\n(Check COM und baudrate)");
inline const QString kTransmissionErrorDe =
    QStringLiteral("Kommunikationsfehler!\r\n(COM und Baudrate überprüfen)");

// Data rows "type" (the firmware letter) and "language" (0 German, 1 English): both module
// versions in both languages.
inline void addModuleAndLanguageRows()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("language");
    QTest::newRow("B module, German") << 'B' << 0;
    QTest::newRow("B module, English") << 'B' << 1;
    QTest::newRow("C module, German") << 'C' << 0;
    QTest::newRow("C module, English") << 'C' << 1;
}
