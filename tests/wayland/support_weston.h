#pragma once

#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include <memory>

#include <sys/types.h>

// One window as the compositor shows it, from weston's own account of its scene.
struct SceneView {
    QString role; // "xdg_toplevel", "xdg_popup", "(null)" for the shell's panel and background
    qint64 pid = 0;
    QString title; // of a top-level window
    bool panel = false;
    QRect rect; // where it is on the screen, its frame included
};

struct Scene {
    QRect output;
    QList<SceneView> views;

    // The output without the shell's panels: where a window must be to be seen whole.
    QRect workArea() const;
    // The top-level windows of one process, in the compositor's stacking order (top first).
    QList<SceneView> toplevels(qint64 pid) const;
    bool hasPanel() const;
};

// Parses what `weston-debug scene-graph` prints.
Scene parseScene(const QString &text);

// One top-level window as its client announced it to the compositor.
struct AnnouncedToplevel {
    QString client;
    quint32 id = 0;
    QString title;
    quint32 parent = 0; // the toplevel it is a transient child of; 0 for none
};

// The top-level windows in what `weston-debug proto` logged, in the order they were made.
QList<AnnouncedToplevel> parseToplevels(const QString &log);

// A headless weston of the test's own: its own runtime folder (mode 0700) and socket, so that
// tests running beside each other never meet. It ends with the object, and with the test
// process should that die first.
class Weston
{
public:
    Weston() = default;
    ~Weston();
    Weston(const Weston &) = delete;
    Weston &operator=(const Weston &) = delete;

    // Starts weston and waits until it accepts clients; false with the reason otherwise. Needs no
    // QCoreApplication: the Qt application connects to it afterwards.
    bool start(int width, int height, QString *reason);
    static bool installed();

    QString runtimeDir() const { return m_runtime.path(); }
    QString socketName() const { return m_socket; }
    // What the compositor shows now.
    Scene scene() const;
    // Starts `weston-debug <stream>` into the file; it runs until the process object goes.
    std::unique_ptr<QProcess> follow(const QString &stream, const QString &file) const;
    // Saves the whole screen as a PNG file.
    bool screenshot(const QString &path) const;
    QString log() const;

private:
    QProcessEnvironment clientEnvironment() const;

    QTemporaryDir m_runtime;
    QString m_socket;
    pid_t m_pid = -1;
};
