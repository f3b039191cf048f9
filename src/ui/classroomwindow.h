// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/classroom.h"
#include "classroom/classroomaddresses.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

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
    // The addresses pupils can reach this computer at, the default route's first.
    using AddressSource = std::function<QList<ClassroomAddresses::Address>()>;

    explicit ClassroomWindow(IDialogs& dialogs, QWidget* parent = nullptr,
                             AddressSource addresses = ClassroomAddresses::live);
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
    // Lists the addresses again when they changed: a computer that joins the network after the
    // start shows its address then, and one that leaves it says so.
    void listAddresses();
    void showAddress();
    void refreshTable();
    void saveResults();
    void stop();

    IDialogs& m_dialogs;
    AddressSource m_addressSource;
    std::unique_ptr<Classroom> m_classroom;
    // The address the class listens on; AnyIPv4 for every one the computer has.
    QHostAddress m_listening;
    // What the address list shows; nothing before the start.
    std::optional<QStringList> m_urls;
    QTimer m_addressCheck;
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
