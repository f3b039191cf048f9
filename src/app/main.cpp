#include "core/programplaces.h"
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
#ifdef QUIRVEL_APP_ID
    // Lets the desktop match the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUIRVEL_APP_ID));
#endif
    const ProgramPlaces places = resolveProgramPlaces(QCoreApplication::applicationDirPath());

    QtDialogs dialogs;
    QtShell shell;
    QtPauser pauser;
    Services services{dialogs, shell, pauser};

    // Created in this order; the two others stay hidden until called.
    MainWindow window(services, places);
    AboutDialog about;
    GenerationInfoDialog info(places);
    info.setSetup(&window.setup());
    window.setAboutDialog(&about);
    window.setInfoWindow(&info);

    window.show();
    return app.exec();
}
