#include "app/selfcheck.h"
#include "app/tform1.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvel-config"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvel-Config"));
    TForm1 form;
    if (QApplication::arguments().contains(QStringLiteral("--self-check"))) {
        QTextStream out(stdout);
        return runSelfCheck(form, out);
    }
    form.show();
    return app.exec();
}
