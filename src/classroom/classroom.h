// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/classroomserver.h"
#include "classroom/classroomtable.h"
#include "classroom/lessonrecord.h"

#include <QHostAddress>
#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

class ExportedQuiz;
class ResultsJournal;

// A quiz played in class: the quiz read into memory, its server in a thread of its own, and the
// table of results, which lives in the thread that made the Classroom. A lesson is the quiz page
// as generated on one day: started again (a closed window, a restarted program) it goes on with
// its code, number and pupils; a regenerated page starts a new one.
class Classroom : public QObject
{
    Q_OBJECT

public:
    // Fixed, so that a school's firewall rule can name it.
    static constexpr quint16 DefaultPort = 8765;

    struct Options {
        QHostAddress address = QHostAddress(QHostAddress::AnyIPv4);
        quint16 port = DefaultPort;
        ClassroomLimits limits;
        // A new lesson of the same page, e.g. for the next class, instead of today's going on.
        bool newLesson = false;
    };

    // Reads the quiz folder as the exports do; throws QuirvelError.
    Classroom(const QString& quizFolder, const QString& suppliedFolder, QObject* parent = nullptr);
    ~Classroom() override;

    // Listens for today's lesson of this page, or a new one. Throws QuirvelError when the port
    // cannot be opened. A lesson file that cannot be opened does not stop the class:
    // journalProblem() says why, the results stay in memory.
    void start(const Options& options);
    void stop();
    bool isRunning() const { return m_thread.isRunning(); }

    const QString& quizFolder() const { return m_quizFolder; }
    QString title() const;
    const QString& code() const { return m_lesson.code; }
    // The six digits a pupil types at http://<address>:<port>/.
    const QString& number() const { return m_lesson.number; }
    // Whether start() went on with a lesson begun earlier.
    bool continued() const { return m_continued; }
    quint16 port() const { return m_port; }
    // http://<address>:<port>/<code>/
    QString url(const QHostAddress& address) const;
    ClassroomTable& table() { return m_table; }
    const ClassroomTable& table() const { return m_table; }
    // The table as a spreadsheet in file, whole or not at all. Throws QuirvelError.
    void saveResults(const QString& file) const;
    // The pupils' places are freed and their tokens good no more; the lesson file records it.
    void removePupils(const QStringList& ids);
    void setPupilsPerAddress(int pupils);
    int pupilsPerAddress() const { return m_limits.pupilsPerAddress; }
    const QString& journalPath() const { return m_journalPath; }
    // For tests, before start(): runs before each sync of the results file, in its writer thread.
    void setBeforeSync(std::function<void()> hook) { m_beforeSync = std::move(hook); }
    const QString& journalProblem() const { return m_journalProblem; }

signals:
    void resultTaken(const PupilResult& result);
    // An address holds all the places one may hold (a lab behind one address, or a flood).
    void addressFull(const QString& address, int pupils);
    // The results file failed after the start; the text is for the user.
    void journalFailed(const QString& text);

private:
    void takeResult(const PupilResult& result);
    // Today's lesson of this page, or a new one; sets the lesson file.
    void chooseLesson(bool newLesson);

    QString m_quizFolder;
    std::unique_ptr<ExportedQuiz> m_quiz;
    std::unique_ptr<ResultsJournal> m_journal;
    ClassroomServer* m_server = nullptr;
    QThread m_thread;
    QByteArray m_pageDigest;
    LessonRecord m_lesson;
    bool m_continued = false;
    ClassroomLimits m_limits;
    quint16 m_port = 0;
    ClassroomTable m_table;
    QString m_journalPath;
    QString m_journalProblem;
    std::function<void()> m_beforeSync;
};

// 20 lowercase base32 characters: 100 random bits a pupil can still type.
QString newClassroomCode();
// The text a pupil types: the results file and what to do when it fails.
QString journalFailure(const QString& path, std::error_code error);
