// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/classroom.h"

#include <QWidget>

#include <memory>

class IDialogs;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// "Викторина в классе": the address pupils type and its QR code, the live table of their results,
// "Сохранить результаты…" and "Остановить". Non-modal; closing it stops the class, after a question
// when results are unsaved.
class ClassroomWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ClassroomWindow(IDialogs& dialogs, QWidget* parent = nullptr);
    ~ClassroomWindow() override;

    // Starts a class of the quiz; false when it could not start (the reason was shown). Today's
    // table of the same quiz is offered to be continued.
    bool start(const QString& quizFolder, const QString& suppliedFolder,
               const Classroom::Options& options = {});
    bool isRunning() const { return m_classroom && m_classroom->isRunning(); }
    bool hasUnsavedResults() const { return m_unsaved; }
    // The address pupils are shown.
    QString selectedUrl() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showAddress();
    void refreshTable();
    void saveResults();
    void stop();

    IDialogs& m_dialogs;
    std::unique_ptr<Classroom> m_classroom;
    QComboBox* m_addresses;
    QLabel* m_qrCode;
    QLabel* m_advice;
    QTableWidget* m_table;
    QPushButton* m_save;
    QPushButton* m_stop;
    bool m_unsaved = false;
};

// The QR code of text, at least minSide pixels with its quiet zone of four modules.
QImage qrCodeImage(const QString& text, int minSide = 300);
