#pragma once

// How data flows through QUIRVEL:
//   user events on TForm1's widgets -> TForm1's handlers -> TQuizSetup operations (the one quiz)
//   and redraws of the thumbnails, preview and text fields. The generation button runs the
//   generation command, which reads the setup, shows TForm2, shuffles the answers, writes the quiz
//   folder through the shell seam and offers to open the page. Every dialog, shell call and pause
//   goes through the injected Services, so tests script the user's answers.

#include "app/quizsetup.h"
#include "app/services.h"

#include <QWidget>

class TAboutBox;
class TForm2;

class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(Services& services, const QString& programFolder = ApplicationProgramFolder(),
                    QWidget* parent = nullptr);
    ~TForm1() override;

    void SetAboutBox(TAboutBox* about) { m_about = about; }
    void SetInfoWindow(TForm2* info) { m_info = info; }

    TQuizSetup Setup;

protected:
    void FormCreate(const QString& programFolder);

private:
    Services& m_services;
    TAboutBox* m_about = nullptr;
    TForm2* m_info = nullptr;
};
