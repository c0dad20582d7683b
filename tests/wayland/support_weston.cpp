#include "support_weston.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int kReadyTimeoutMs = 30000;
constexpr int kClientTimeoutMs = 10000;

// The end of weston's readiness message: its systemd-notify module sends READY=1 once the
// socket listens and the shell is loaded.
class NotifySocket
{
public:
    explicit NotifySocket(const QString &path) : m_path(QFile::encodeName(path))
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (m_fd < 0 || std::size_t(m_path.size()) >= sizeof address.sun_path)
            return;
        std::memcpy(address.sun_path, m_path.constData(), std::size_t(m_path.size()));
        if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~NotifySocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    QByteArray path() const { return m_path; }

    // Blocks until READY=1 arrives or the time is up.
    bool waitForReady(int timeoutMs) const
    {
        pollfd watched{m_fd, POLLIN, 0};
        while (::poll(&watched, 1, timeoutMs) > 0) {
            char message[256] = {};
            const ssize_t got = ::recv(m_fd, message, sizeof message - 1, 0);
            if (got > 0 && QByteArray(message, int(got)).split('\n').contains("READY=1"))
                return true;
        }
        return false;
    }

private:
    QByteArray m_path;
    int m_fd = -1;
};

QRect rectFrom(const QRegularExpressionMatch &m)
{
    const QPoint from(m.captured(1).toInt(), m.captured(2).toInt());
    const QPoint to(m.captured(3).toInt(), m.captured(4).toInt());
    return QRect(from, to - QPoint(1, 1)); // weston gives the end past the last pixel
}

} // namespace

QRect Scene::workArea() const
{
    QRect area = output;
    for (const SceneView &view : views) {
        if (!view.panel)
            continue;
        // A panel along an edge takes that strip.
        if (view.rect.width() >= view.rect.height()) {
            if (view.rect.top() <= area.top())
                area.setTop(view.rect.bottom() + 1);
            else
                area.setBottom(view.rect.top() - 1);
        } else if (view.rect.left() <= area.left()) {
            area.setLeft(view.rect.right() + 1);
        } else {
            area.setRight(view.rect.left() - 1);
        }
    }
    return area;
}

QList<SceneView> Scene::toplevels(qint64 pid) const
{
    QList<SceneView> found;
    for (const SceneView &view : views)
        if (view.pid == pid && view.role == QLatin1String("xdg_toplevel"))
            found << view;
    return found;
}

bool Scene::hasPanel() const
{
    return std::any_of(views.begin(), views.end(), [](const SceneView &v) { return v.panel; });
}

Scene parseScene(const QString &text)
{
    static const QRegularExpression viewLine(QStringLiteral(
        R"(^\s*View \d+ \(role ([^,]*), PID (\d+), surface ID \d+, (.*), 0x[0-9a-f]+\):)"));
    static const QRegularExpression title(QStringLiteral(R"(^top-level window '(.*)' of )"));
    static const QRegularExpression position(
        QStringLiteral(R"(^\s*position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\))"));
    Scene scene;
    bool inOutput = false;
    SceneView *current = nullptr;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Output "))) {
            inOutput = true;
            current = nullptr;
            continue;
        }
        if (const auto m = viewLine.match(line); m.hasMatch()) {
            inOutput = false;
            SceneView view;
            view.role = m.captured(1);
            view.pid = m.captured(2).toLongLong();
            const QString what = m.captured(3);
            view.panel = what.startsWith(QLatin1String("panel for output"));
            if (const auto t = title.match(what); t.hasMatch())
                view.title = t.captured(1);
            scene.views << view;
            current = &scene.views.last();
            continue;
        }
        if (const auto m = position.match(line); m.hasMatch()) {
            if (inOutput && scene.output.isNull())
                scene.output = rectFrom(m);
            else if (current)
                current->rect = rectFrom(m);
            current = nullptr;
        }
    }
    return scene;
}

QList<AnnouncedToplevel> parseToplevels(const QString &log)
{
    // [time][proto] client 0x55... rq xdg_surface@3.get_toplevel(new id xdg_toplevel@20)
    // [time][proto] client 0x55... rq xdg_toplevel@20.set_parent(xdg_toplevel@27)
    static const QRegularExpression made(QStringLiteral(
        R"(client (\S+) rq xdg_surface@\d+\.get_toplevel\(new id xdg_toplevel@(\d+)\))"));
    static const QRegularExpression request(
        QStringLiteral(R"(client (\S+) rq xdg_toplevel@(\d+)\.(set_parent|set_title)\((.*)\)$)"));
    static const QRegularExpression parentId(QStringLiteral(R"(^xdg_toplevel@(\d+)$)"));
    QList<AnnouncedToplevel> toplevels;
    // The toplevel that an id of a client stands for now: ids are used again.
    QHash<QString, qsizetype> live;
    for (const QString &line : log.split(QLatin1Char('\n'))) {
        if (const auto m = made.match(line); m.hasMatch()) {
            AnnouncedToplevel toplevel;
            toplevel.client = m.captured(1);
            toplevel.id = m.captured(2).toUInt();
            live.insert(toplevel.client + QLatin1Char('@') + m.captured(2), toplevels.size());
            toplevels << toplevel;
            continue;
        }
        const auto m = request.match(line);
        if (!m.hasMatch())
            continue;
        const auto at = live.constFind(m.captured(1) + QLatin1Char('@') + m.captured(2));
        if (at == live.constEnd())
            continue;
        AnnouncedToplevel &toplevel = toplevels[*at];
        if (m.captured(3) == QLatin1String("set_title")) {
            QString title = m.captured(4);
            toplevel.title = title.mid(1, title.size() - 2); // without the quotes
        } else {
            const auto p = parentId.match(m.captured(4));
            toplevel.parent = p.hasMatch() ? p.captured(1).toUInt() : 0;
        }
    }
    return toplevels;
}

Weston::~Weston()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
}

bool Weston::installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty();
}

bool Weston::start(int width, int height, QString *reason)
{
    if (!m_runtime.isValid()) {
        *reason = QStringLiteral("no temporary folder for weston's runtime folder");
        return false;
    }
    QFile::setPermissions(m_runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_socket = QStringLiteral("korvel-test-%1").arg(::getpid());
    const NotifySocket notify(m_runtime.filePath(QStringLiteral("notify")));
    if (!notify.isOpen()) {
        *reason = QStringLiteral("no socket for weston's readiness message");
        return false;
    }
    const QByteArray program =
        QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("weston")));
    QList<QByteArray> arguments = {
        program, "--backend=headless-backend.so", "--width=" + QByteArray::number(width),
        "--height=" + QByteArray::number(height), "--socket=" + m_socket.toUtf8(),
        // the pixman renderer draws what a screenshot shows
        "--use-pixman",
        // no screen lock while the test runs
        "--idle-time=0",
        // weston-debug and weston-screenshooter may ask
        "--debug", "--modules=systemd-notify.so"};
    const QByteArray runtime = QFile::encodeName(m_runtime.path());
    const QByteArray logPath = QFile::encodeName(m_runtime.filePath(QStringLiteral("weston.log")));
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The child only calls what is safe after a fork: everything is made here.
    QList<QByteArray> environment = {"XDG_RUNTIME_DIR=" + runtime,
                                     "NOTIFY_SOCKET=" + notify.path()};
    for (char **variable = environ; *variable; ++variable) {
        const QByteArray entry(*variable);
        const QByteArray name = entry.left(entry.indexOf('='));
        if (name != "XDG_RUNTIME_DIR" && name != "NOTIFY_SOCKET" && name != "WAYLAND_DISPLAY" &&
            name != "DISPLAY")
            environment << entry;
    }
    std::vector<char *> envp;
    for (QByteArray &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const pid_t parent = ::getpid();
    m_pid = ::fork();
    if (m_pid < 0) {
        *reason =
            QStringLiteral("fork failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (m_pid == 0) {
        // Weston ends with the test, however the test ends.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        const int log = ::open(logPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (log >= 0) {
            ::dup2(log, STDOUT_FILENO);
            ::dup2(log, STDERR_FILENO);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (!notify.waitForReady(kReadyTimeoutMs)) {
        *reason = QStringLiteral("weston did not get ready:\n") + log();
        return false;
    }
    return true;
}

QProcessEnvironment Weston::clientEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
    return environment;
}

Scene Weston::scene() const
{
    QProcess debug;
    debug.setProcessEnvironment(clientEnvironment());
    debug.start(QStringLiteral("weston-debug"), {QStringLiteral("scene-graph")});
    if (!debug.waitForFinished(kClientTimeoutMs))
        return {};
    return parseScene(QString::fromUtf8(debug.readAllStandardOutput()));
}

std::unique_ptr<QProcess> Weston::follow(const QString &stream, const QString &file) const
{
    auto debug = std::make_unique<QProcess>();
    debug->setProcessEnvironment(clientEnvironment());
    debug->setStandardOutputFile(file);
    debug->start(QStringLiteral("weston-debug"), {stream});
    debug->waitForStarted(kClientTimeoutMs);
    return debug;
}

bool Weston::screenshot(const QString &path) const
{
    // weston-screenshooter writes into its working folder under a name with the time.
    QTemporaryDir folder;
    QProcess shooter;
    shooter.setProcessEnvironment(clientEnvironment());
    shooter.setWorkingDirectory(folder.path());
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    if (!shooter.waitForFinished(kClientTimeoutMs) || shooter.exitCode() != 0)
        return false;
    const QStringList shots = QDir(folder.path()).entryList({QStringLiteral("*.png")});
    if (shots.size() != 1)
        return false;
    QFile::remove(path);
    return QFile::copy(folder.filePath(shots.first()), path);
}

QString Weston::log() const
{
    QFile file(m_runtime.filePath(QStringLiteral("weston.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}
