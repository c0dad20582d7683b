#include "findable.h"
#include "moduleemulator.h"
#include "ptyserver.h"
#include "simoptions.h"

#include "common/standardstreams.h"

#include <QStringList>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace
{

std::atomic<bool> stopRequested{false};
std::atomic<bool> wakeRequested{false};
std::atomic<bool> swapRequested{false};

void onSignal(int signal)
{
    if (signal == SIGUSR1)
        wakeRequested = true;
    else if (signal == SIGUSR2)
        swapRequested = true;
    else
        stopRequested = true;
}

void installHandler(int signal)
{
    struct sigaction action {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: poll() returns at once
    sigaction(signal, &action, nullptr);
}

void printError(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    openClosedStandardStreams();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const SimOptions options = parseSimOptions(arguments);
    if (options.help) {
        std::fputs(simUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        printError(QStringLiteral("korvel-sim: ") + options.error +
                   QStringLiteral("\nTry 'korvel-sim --help' for more information."));
        return 2;
    }
    if (options.version) {
        std::fputs(simVersionText().toLocal8Bit().constData(), stdout);
        return 0;
    }

    ModuleEmulator emulator(options.config);
    applySimOptions(emulator, options, printError);

    PtyServer server(emulator);
    server.setNoteCallback([](const QString &text) { printError(text); });
    QString error;
    if (!server.open(&error)) {
        printError(error);
        return 1;
    }
    installHandler(SIGTERM);
    installHandler(SIGINT);
    installHandler(SIGUSR1);
    installHandler(SIGUSR2);
    // SIGUSR2: the next module, a fresh one with the next serial number, as an operator on a
    // production line puts it in.
    server.setSwapCallback([&emulator] {
        EmulatorConfig &config = emulator.config();
        ++config.serial;
        emulator.setEepromImage(ModuleEmulator::defaultRegisters(config));
    });

    std::fprintf(stderr, "log times count from %.6f (seconds since 1970-01-01 UTC)\n",
                 server.originEpochSeconds());
    std::fprintf(stdout, "%s\n", server.slavePath().toLocal8Bit().constData());
    std::fflush(stdout);
    const auto findable = makeFindable(server.slavePath(), options.config.serial, printError);
    server.run(stopRequested, wakeRequested, swapRequested);
    emulator.carrier().finish();
    return 0;
}
