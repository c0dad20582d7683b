#pragma once

#include "window/tform1.h"

#include "simoptions.h"
#include "simprocess.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// korvel-sim's module inside the test, made from korvel-sim's command line by korvel-sim's own
// parser (faults and --eeprom included), for a window made with SimWindow::InProcess. A real
// line over a pseudo-terminal hands bytes on through a kernel worker that a busy machine runs
// late, so the tool's short waits (15 ms per reading, say) would miss sound answers; in the
// test's own process the module's bytes are in the input buffer from the moment they are due,
// however late the machine runs the test, as on a serial line.
class InProcessSim
{
public:
    // False with error() when korvel-sim would refuse the arguments.
    bool start(const QStringList &arguments = {});
    // The module is unplugged: a line open to it is lost.
    void stop();
    ~InProcessSim() { stop(); }

    QString error() const { return m_error; }
    // The name a window opens to reach this module.
    QString devicePath() const { return m_path; }
    // What korvel-sim would have logged since the last call.
    QString log();

private:
    std::shared_ptr<ModuleEmulator> m_module;
    QString m_path;
    QString m_error;
    QString m_log;
};

class QComboBox;
class QPushButton;

// The tool's window as a user meets it at start, in English, with its own settings folder; its
// port is the system's serial port, or with InProcess the line to the InProcessSim it opens.
// Message boxes are recorded in `messages` (and passed to `onMessage`, if given) instead of
// being shown, until the window is gone.
struct SimWindow {
    enum Line { SerialPort, InProcess };
    explicit SimWindow(Line line = SerialPort,
                       std::function<void(const QString &text)> onMessage = {});
    ~SimWindow();
    SimWindow(const SimWindow &) = delete;
    SimWindow &operator=(const SimWindow &) = delete;

    template <typename T = QWidget> T *find(const char *name) const
    {
        return form->findChild<T *>(QLatin1String(name));
    }
    QPushButton *button(const char *name) const;
    QComboBox *combo(const char *name) const;
    // The text of a line edit.
    QString text(const char *name) const;
    // Picks an item as the user does, by its text or its place.
    void choose(const char *name, const QString &item) const;
    void choose(const char *name, int index) const;
    // Types the device path into the port box, picks the baud rate and connects.
    void connectTo(const QString &path, const QString &baud) const;

    QTemporaryDir dir;
    QStringList messages;
    std::unique_ptr<TForm1> form;
};
