#include "app/tform1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Korvel-Config"));
    TForm1 form;
    form.show();
    return app.exec();
}
