#include "gen.h"

TForm2::TForm2(const QString& programFolder, QWidget* parent) : QDialog(parent)
{
    Q_UNUSED(programFolder);
    setObjectName(QStringLiteral("Form2"));
}
