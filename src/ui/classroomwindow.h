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
class QSortFilterProxyModel;
class QTreeView;
class SleepInhibitor;

// "Викторина в классе": the address pupils type, its QR code and the lesson's number, the live
// table of the pupils, "Новый урок", "Сохранить результаты…" and "Остановить". Non-modal; closing
// it (Escape too) stops the class, after a question when results are unsaved. The lesson goes on
// when the window is opened again.
class ClassroomWindow : public QWidget
{
    Q_OBJECT

public:
    // The addresses pupils can reach this computer at, the default route's first.
    using AddressSource = std::function<QList<ClassroomAddresses::Address>()>;
    // With no pupil after this long, the window lists what usually keeps phones out.
    static constexpr int NobodyMs = 60 * 1000;

    explicit ClassroomWindow(IDialogs& dialogs, QWidget* parent = nullptr,
                             AddressSource addresses = ClassroomAddresses::live);
    ~ClassroomWindow() override;

    // Starts a class of the quiz, today's lesson going on; false when it could not start (the
    // reason was shown).
    bool start(const QString& quizFolder, const QString& suppliedFolder,
               const Classroom::Options& options = {});
    bool isRunning() const { return m_classroom && m_classroom->isRunning(); }
    bool hasUnsavedResults() const { return m_unsaved; }
    // The address pupils are shown.
    QString selectedUrl() const;
    const Classroom* classroom() const { return m_classroom.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    // Lists the addresses again when they changed: a computer that joins the network after the
    // start shows its address then, and one that leaves it says so.
    void listAddresses();
    // What a lesson needs once it runs, the first or a new one: its addresses and counts.
    void lessonStarted();
    void reportJournalProblem();
    void showAddress();
    void showCounts();
    void removeSelected();
    void removeSilent();
    void offerMorePlaces(const QString& address, int pupils);
    void newLesson();
    void saveResults();
    void stop();

    IDialogs& m_dialogs;
    AddressSource m_addressSource;
    std::unique_ptr<Classroom> m_classroom;
    Classroom::Options m_options;
    // What the address list shows; nothing before the start.
    std::optional<QStringList> m_urls;
    QTimer m_addressCheck;
    QTimer m_stateCheck;
    QTimer m_nobody;
    QComboBox* m_addresses;
    QLabel* m_qrCode;
    QLabel* m_number;
    QLabel* m_advice;
    QLabel* m_counts;
    QLabel* m_pictures;
    QLabel* m_awake;
    std::unique_ptr<SleepInhibitor> m_sleep;
    // A flat tree rather than a table: Qt 6.4 shows a screen reader a table's row header even
    // when hidden, one "row header" per pupil.
    QTreeView* m_table;
    QSortFilterProxyModel* m_sorted;
    QPushButton* m_newLesson;
    QPushButton* m_save;
    QPushButton* m_stop;
    bool m_unsaved = false;
};

// The QR code of text, at least minSide pixels with its quiet zone of four modules.
QImage qrCodeImage(const QString& text, int minSide = 300);
