#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TQuizSetup;

// The info window shown before every generation. It offers no way back: however it is closed,
// the generation goes on.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(const QString& programFolder, QWidget* parent = nullptr);

    // The quiz whose folder name each showing displays; the window does not own it.
    void SetSetup(const TQuizSetup* setup) { m_setup = setup; }

    void FormCreate(const QString& programFolder);
    void FormShow();
    void Button1Click();

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QPushButton* Button1;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const TQuizSetup* m_setup = nullptr;
};
