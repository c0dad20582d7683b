#include "app/appidentity.h"
#include "app/selfcheck.h"
#include "app/tform1.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplicationIdentity();
    TForm1 form;
    if (QApplication::arguments().contains(QStringLiteral("--self-check"))) {
        QTextStream out(stdout);
        return runSelfCheck(form, out);
    }
    form.show();
    return app.exec();
}
