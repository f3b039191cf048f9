// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/lessonrecord.h"
#include "classroom/pupilnames.h"
#include "classroom/pupilpost.h"
#include "classroom/pupilresult.h"

#include <QHash>
#include <QMap>
#include <QSet>

#include <deque>
#include <optional>

// How much a class may send: per minute, and how many pupils hold a place at a time.
struct ClassroomLimits {
    int resultsPerPupil = 20;
    int joinsPerAddress = 60;
    int pupils = 200;
    // A computer lab behind one NAT address is one address.
    int pupilsPerAddress = 40;
};

// Who may do what in a class. A join makes a pupil: a token only the server makes and only that
// pupil's page holds, a number in join order, and a place in the class. The caps on places, in
// all and per address, are what keep room for a class that floods cannot take; the per-minute
// limits only slow a flood down. A place whose token did nothing for IdleMs is freed when another
// pupil needs it, and the same token takes a free place again. Times are passed in, in ms.
class ClassroomAdmission
{
public:
    static constexpr qint64 IdleMs = 10 * 60 * 1000;
    // Tokens kept to come back with; beyond, the longest idle without a place is forgotten.
    static constexpr int MaxKnown = 20000;

    struct Decision {
        int status = 200; // 200, 403 or 429
        QString error;    // the pupil's text for anything but 200
        // Refused since this address holds all the places an address may hold.
        bool addressFull = false;
        QByteArray token;
        // A join that made a new pupil: the lesson file keeps it, as this.
        std::optional<LessonPupil> joined;
        QString id;   // the pupil's public id in the table and the results file
        QString name; // as the pupil typed it, cleaned
        int number = 1;
        int pupil = 0; // the pupil's number in the class, in join order
        // A result whose seq was recorded before: not recorded again, answered with these.
        bool repeated = false;
        PupilPost::Answers answers{};
    };

    explicit ClassroomAdmission(const ClassroomLimits& limits) : m_limits(limits) {}
    // A lesson that goes on: its pupils' tokens stay good, their checks stay recorded, and no
    // number is given again.
    void continueFrom(const LessonRecord& lesson);
    // A join with a token this class made is the same pupil again and counts against no limit.
    Decision join(const QString& address, const PupilPost& post, qint64 now);
    Decision result(const QString& address, const PupilPost& post, qint64 now);
    // A page that says it is still open: the pupil's place is kept, and nothing is counted.
    Decision presence(const QByteArray& token, qint64 now);
    // The teacher took the pupil out: the place is free and the token good no more.
    void remove(const QString& id);
    void setPupilsPerAddress(int pupils) { m_limits.pupilsPerAddress = pupils; }
    const ClassroomLimits& limits() const { return m_limits; }
    int seated() const { return int(m_seated.size()); }

private:
    struct Pupil {
        QByteArray digest;
        QString id;
        QString name;
        int number = 1;
        int pupil = 0;
        QString address; // where its place counts; empty without a place
        qint64 lastActive = 0;
        std::deque<qint64> results;
        QMap<qint64, PupilPost::Answers> recorded;
        qint64 forgottenSeq = 0; // seqs up to this one were recorded and let go
    };
    Pupil* find(const QByteArray& token);
    Pupil& admit(const LessonPupil& known);
    // Keeps the check's answers to know it again when resent, the last KeptSeqs of them.
    static void remember(Pupil& pupil, qint64 seq, const PupilPost::Answers& answers);
    QString seat(Pupil& pupil, const QString& address, qint64 now);
    QString noRoom(const QString& address) const;
    void freeIdlePlaces(qint64 now);
    void forgetOne();
    Decision decided(const Pupil& pupil) const;
    Decision refusedPlace(const QString& address, const QString& full) const;

    ClassroomLimits m_limits;
    PupilNames m_names;
    int m_joined = 0;
    QHash<QByteArray, Pupil> m_pupils; // by SHA-256 of the token
    QSet<QByteArray> m_seated;
    QHash<QString, int> m_seatedAt;
    QHash<QString, std::deque<qint64>> m_joins;
};
