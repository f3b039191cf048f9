#include "ui/qtservices.h"
#include "ui/aboutdialog.h"
#include "ui/generationinfodialog.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/about/icon.png")));

    QtDialogs dialogs;
    QtShell shell;
    QtPauser pauser;
    Services services{dialogs, shell, pauser};

    // Created in this order; the two others stay hidden until called.
    TForm1 form1(services);
    TAboutBox about;
    TForm2 form2(form1.Setup.ProgramFolder);
    form2.SetSetup(&form1.Setup);
    form1.SetAboutBox(&about);
    form1.SetInfoWindow(&form2);

    form1.show();
    return app.exec();
}
