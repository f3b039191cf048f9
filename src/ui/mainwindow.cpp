#include "mainwindow.h"

#include "about.h"
#include "gen.h"

TForm1::TForm1(Services& services, const QString& programFolder, QWidget* parent)
    : QWidget(parent), m_services(services)
{
    setObjectName(QStringLiteral("Form1"));
    FormCreate(programFolder);
}

TForm1::~TForm1() = default;

void TForm1::FormCreate(const QString& programFolder)
{
    Setup.Initialise(programFolder);
}
