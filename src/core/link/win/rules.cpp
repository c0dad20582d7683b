#include "link/win/rules.h"

#include <QRegularExpression>

#include <algorithm>
#include <initializer_list>

namespace WinRules
{

namespace
{

bool oneOf(int value, std::initializer_list<int> candidates)
{
    return std::find(candidates.begin(), candidates.end(), value) != candidates.end();
}

} // namespace

int errorNumber(QSerialPort::SerialPortError failure, int captured)
{
    switch (failure) {
    case QSerialPort::NoError:
        return 0;
    case QSerialPort::DeviceNotFoundError:
        return oneOf(captured, {Error::FileNotFound, Error::PathNotFound, Error::InvalidName,
                                Error::DeviceNotConnected})
                   ? captured
                   : Error::FileNotFound;
    case QSerialPort::PermissionError:
        return oneOf(captured, {Error::AccessDenied, Error::SharingViolation, Error::Busy})
                   ? captured
                   : Error::AccessDenied;
    case QSerialPort::OpenError:
        return Error::Busy;
    case QSerialPort::NotOpenError:
        return Error::InvalidHandle;
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        return meansDeviceGone(captured) || captured == Error::IoDevice ? captured
                                                                        : Error::IoDevice;
    case QSerialPort::UnsupportedOperationError:
        return oneOf(captured,
                     {Error::InvalidParameter, Error::NotSupported, Error::InvalidFunction})
                   ? captured
                   : Error::InvalidParameter;
    case QSerialPort::TimeoutError:
        return Error::Timeout;
    default:
        return captured != 0 ? captured : Error::IoDevice;
    }
}

bool meansDeviceGone(int code)
{
    // An unplugged USB adapter answers reads and status queries with BadCommand or AccessDenied;
    // a closed or dead handle gives InvalidHandle; a driver that dropped the device the others.
    // NotReady: the line's other end has closed (Wine on a pseudo-terminal whose emulator ended).
    return oneOf(code, {Error::NotReady, Error::BadCommand, Error::AccessDenied,
                        Error::InvalidHandle, Error::GenFailure, Error::OperationAborted,
                        Error::DeviceNotConnected, Error::DeviceRemoved});
}

QString errorHint(int code, const QString &systemText)
{
    struct Hint {
        int code;
        const char *text;
    };
    static constexpr Hint kHints[] = {
        {Error::AccessDenied, "Access denied: the port is open in another program; close it "
                              "and connect again"},
        {Error::SharingViolation, "Sharing violation: the port is open in another program; "
                                  "close it and connect again"},
        {Error::Busy, "Device or resource busy: another program uses the port; close it and "
                      "connect again"},
        {Error::FileNotFound,
         "File not found: check the port name; the list shows the ports present"},
        {Error::PathNotFound,
         "Path not found: check the port name; the list shows the ports present"},
        {Error::InvalidName, "Invalid name: check the port name; the list shows the ports present"},
        {Error::DeviceNotConnected,
         "Device not connected: the adapter was unplugged; plug it in and connect again"},
        {Error::DeviceRemoved,
         "Device removed: the adapter was unplugged; plug it in and connect again"},
        {Error::NotReady, "Device not ready: the adapter was unplugged or the line closed; plug "
                          "it in and connect again"},
        {Error::BadCommand, "The device does not know the command: the adapter was unplugged; "
                            "plug it in and connect again"},
        {Error::GenFailure, "The device does not work: the adapter was unplugged or the line "
                            "failed; plug it in and connect again"},
        {Error::IoDevice, "Input/output error: the adapter was unplugged or the line failed; "
                          "plug it in and connect again"},
        {Error::OperationAborted, "Operation aborted: the port was closed or the adapter "
                                  "unplugged; connect again"},
        {Error::InvalidHandle, "Invalid handle: the port is closed; connect again"},
        {Error::InvalidFunction, "Incorrect function: this is no serial port; choose another port"},
        {Error::NotSupported, "Not supported: this is no serial port; choose another port"},
        {Error::InvalidParameter, "Invalid parameter: the port does not take these line "
                                  "settings; choose another baud rate or port"},
        {Error::Timeout, "Timeout: the port did not take the bytes in time; check the adapter "
                         "and the cable"},
    };
    for (const Hint &hint : kHints) {
        if (hint.code == code)
            return QString::fromLatin1(hint.text);
    }
    if (code <= 0)
        return {};
    return cleanSystemMessage(systemText);
}

QString cleanSystemMessage(const QString &text)
{
    QString line = text;
    static const QRegularExpression kInserts(QStringLiteral("\\s*%\\d+"));
    line.remove(kInserts);
    line = line.simplified();
    while (line.endsWith(QLatin1Char('.')))
        line.chop(1);
    return line.trimmed();
}

QString listedPortName(const QString &systemLocation)
{
    for (const QLatin1String prefix : {QLatin1String("\\\\.\\"), QLatin1String("//./")}) {
        if (systemLocation.startsWith(prefix))
            return systemLocation.mid(prefix.size());
    }
    return systemLocation;
}

qint64 relativeDueTime(qint64 nowNs, qint64 targetNs)
{
    const qint64 remainingNs = targetNs - nowNs;
    if (remainingNs <= 100)
        return -1;
    return -((remainingNs + 99) / 100);
}

bool isUnderProgramFolder(const QString &executableFolder, const QStringList &programFolders)
{
    const auto normal = [](QString path) {
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        while (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        return path.toCaseFolded() + QLatin1Char('/');
    };
    const QString folder = normal(executableFolder);
    return std::any_of(programFolders.begin(), programFolders.end(), [&](const QString &root) {
        return !root.trimmed().isEmpty() && folder.startsWith(normal(root));
    });
}

} // namespace WinRules
