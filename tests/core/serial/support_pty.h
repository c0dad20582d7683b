#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair for serial tests: the device under test opens the terminal side by its
// path, the test plays the module on the controlling side.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    // Path of the terminal side, e.g. "/dev/pts/5".
    QString terminalPath() const { return m_terminalPath; }

    // Sends bytes towards the device as the module would.
    bool send(const QByteArray &bytes);
    // Collects what the device sent until `count` bytes are there or `timeoutMs` has passed.
    QByteArray receive(int count, int timeoutMs);
    // Bytes the device sent that are waiting to be received, without taking them.
    int pending() const;
    // The other side goes away: the device sees its line hung up.
    void closeModuleSide();

private:
    int m_master = -1;
    QString m_terminalPath;
};
