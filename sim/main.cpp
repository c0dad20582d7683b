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

    const std::shared_ptr<ModuleEmulator> module = makeSimModule(options, printError);
    ModuleEmulator &emulator = *module;
    emulator.setLogCallback([](const EmulatorLogEntry &entry) {
        std::fprintf(stderr, "%s\n", simLogLine(entry).toLocal8Bit().constData());
    });

    emulator.carrier().setReportCallback([](const CarrierStream &stream, bool finished) {
        std::fprintf(stderr, "%10.3f carrier stream %s: %s\n", stream.lastMs / 1000.0,
                     finished ? "ended" : "running", stream.toString().toLocal8Bit().constData());
    });

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

    std::fprintf(stdout, "%s\n", server.slavePath().toLocal8Bit().constData());
    std::fflush(stdout);
    const auto findable = makeFindable(server.slavePath(), options.config.serial, printError);
    server.run(stopRequested, wakeRequested, swapRequested);
    emulator.carrier().finish();
    return 0;
}
