#pragma once

#include <QDialog>

// The info window shown before every generation.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(const QString& programFolder, QWidget* parent = nullptr);
};
