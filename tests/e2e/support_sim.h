#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

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
    QString log() const;

private:
    QProcess m_process;
    QString m_path;
};
