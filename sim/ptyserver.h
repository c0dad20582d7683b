#pragma once

#include "moduleemulator.h"

#include <QString>

#include <atomic>
#include <functional>

// Serves a module emulator on the master side of a new pseudo-terminal. Each open of the slave
// side by the program is a power-up, each close a power-down; what the module sends is paced at
// the line's rate, which the pseudo-terminal itself does not do. A pseudo-terminal has no RTS,
// so the module always sees RTS off (command mode).
class PtyServer
{
public:
    explicit PtyServer(ModuleEmulator &emulator);
    ~PtyServer();
    PtyServer(const PtyServer &) = delete;
    PtyServer &operator=(const PtyServer &) = delete;

    // Creates the pseudo-terminal in raw mode; false with the reason in *error on failure.
    bool open(QString *error);
    QString slavePath() const { return m_slavePath; }

    // Runs until stop becomes true; wakeRequest, when set, presses the module's wake-up button;
    // swapRequest, when set, puts the next module into the fixture (see setSwapCallback).
    void run(const std::atomic<bool> &stop, std::atomic<bool> &wakeRequest,
             std::atomic<bool> &swapRequest);

    // Turns the emulator into the next module while it has no power; an open line then powers
    // it up, and it sends its start-up report.
    void setSwapCallback(std::function<void()> callback);

    // Line events worth a note on the console ("line opened at 19200 baud", ...).
    void setNoteCallback(std::function<void(const QString &)> callback);

    // The wall-clock time of the log's time 0, in seconds since 1970-01-01 UTC, so that the log
    // can be laid beside another program's records of the same exchanges.
    double originEpochSeconds() const { return m_originEpochSeconds; }

private:
    double nowMs() const;
    int lineBaud() const;
    void note(const QString &text);

    ModuleEmulator &m_emulator;
    double m_startMs = 0;
    double m_originEpochSeconds = 0;
    int m_master = -1;
    QString m_slavePath;
    std::function<void(const QString &)> m_note;
    std::function<void()> m_swap;
};
