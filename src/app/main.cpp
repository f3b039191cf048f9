#include "ui/aboutdialog.h"
#include "ui/generationinfodialog.h"
#include "ui/mainwindow.h"
#include "ui/qtdialogs.h"
#include "ui/qtpauser.h"
#include "ui/qtshell.h"

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
    MainWindow window(services);
    AboutDialog about;
    GenerationInfoDialog info(window.setup().programFolder);
    info.setSetup(&window.setup());
    window.setAboutDialog(&about);
    window.setInfoWindow(&info);

    window.show();
    return app.exec();
}
