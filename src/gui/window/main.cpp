#include "window/appidentity.h"
#include "window/commandline.h"
#include "window/selfcheck.h"
#include "window/tform1.h"

#include "common/standardstreams.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    openClosedStandardStreams();
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine information = informationRequest(rawArguments);
    if (information.action == CommandLine::Help) {
        std::fputs(commandLineUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (information.action == CommandLine::Version) {
        std::fputs(versionText(QStringLiteral("Korvel_Config")).toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    setUpApplicationIdentity();
    const CommandLine line = parseCommandLine(QApplication::arguments().mid(1));
    if (line.action == CommandLine::Refused) {
        std::fprintf(stderr,
                     "Korvel_Config: %s\nTry 'Korvel_Config --help' for more information.\n",
                     line.error.toLocal8Bit().constData());
        return 2;
    }
    TForm1 form;
    if (line.action == CommandLine::SelfCheck) {
        QTextStream out(stdout);
        return runSelfCheck(form, out);
    }
    form.show();
    return app.exec();
}
