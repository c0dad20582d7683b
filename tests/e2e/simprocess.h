#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// korvel-sim running on a pseudo-terminal for the length of a test.
class SimProcess
{
public:
    // The program comes from KORVEL_SIM (set by the test runner) or lies beside the test.
    static QString program();

    bool start(const QStringList &arguments = {});
    void stop();
    ~SimProcess() { stop(); }

    QString devicePath() const { return m_path; }
    qint64 processId() const { return m_process.processId(); }
    // What korvel-sim logged since the last call.
    QString log() const;
    // Whether the emulator runs in a real-time scheduling class, ahead of the machine's other
    // load (it does wherever the system allows it).
    bool realTime() const { return m_realTime; }

private:
    void runAheadOfOtherLoad();

    QProcess m_process;
    // The log goes to a file: a pipe that nobody reads while the test waits for another
    // program would fill up and stop the emulator.
    QTemporaryDir m_logDir;
    mutable qint64 m_logRead = 0;
    QString m_path;
    bool m_realTime = false;
};
