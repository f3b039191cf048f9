#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// "О программе": name, version and a line on what the program does. Created hidden at start-up
// and shown modally by the main window's "Info" button; nothing is read back from it.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    void Button1Click();

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QFrame* Shape1 = nullptr;
    QPushButton* Button1 = nullptr;
};
