// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomadmission.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace
{

constexpr int KeptSeqs = 256;

const QString UnknownPupil =
    QStringLiteral("Учитель не знает этого ученика. Открой адрес урока заново и введи своё имя.");

// Looked up by a digest, so that how long a lookup takes tells nothing about the tokens held.
QByteArray digest(const QByteArray& token)
{
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

QByteArray randomHex()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
}

bool withinRate(std::deque<qint64>& times, int limit, qint64 now)
{
    while (!times.empty() && times.front() <= now - 60000)
        times.pop_front();
    if (int(times.size()) >= limit)
        return false;
    times.push_back(now);
    return true;
}

ClassroomAdmission::Decision refusal(int status, const QString& error)
{
    ClassroomAdmission::Decision decision;
    decision.status = status;
    decision.error = error;
    return decision;
}

} // namespace

void ClassroomAdmission::continueFrom(const LessonRecord& lesson)
{
    QHash<QString, QByteArray> digests;
    for (const LessonPupil& known : lesson.pupils) {
        m_names.reserve(known.name, known.number);
        m_joined = std::max(m_joined, known.pupil);
        if (!lesson.removed.contains(known.id))
            digests.insert(known.id, admit(known).digest);
    }
    for (const PupilResult& result : lesson.results) {
        m_names.reserve(result.name, result.number);
        const auto it = m_pupils.find(digests.value(result.id));
        if (it == m_pupils.end() || result.seq <= 0)
            continue;
        remember(*it, result.seq, answersOf(result));
    }
}

ClassroomAdmission::Pupil& ClassroomAdmission::admit(const LessonPupil& known)
{
    Pupil pupil;
    pupil.digest = known.tokenDigest;
    pupil.id = known.id;
    pupil.name = known.name;
    pupil.number = known.number;
    pupil.pupil = known.pupil;
    return *m_pupils.insert(pupil.digest, pupil);
}

void ClassroomAdmission::remember(Pupil& pupil, qint64 seq, const PupilPost::Answers& answers)
{
    pupil.recorded.insert(seq, answers);
    if (pupil.recorded.size() > KeptSeqs) {
        pupil.forgottenSeq = std::max(pupil.forgottenSeq, pupil.recorded.firstKey());
        pupil.recorded.erase(pupil.recorded.begin());
    }
}

ClassroomAdmission::Pupil* ClassroomAdmission::find(const QByteArray& token)
{
    // Exactly a token: "<token>\n" would be another pupil in the results file.
    if (!isToken(token))
        return nullptr;
    const auto it = m_pupils.find(digest(token));
    return it == m_pupils.end() ? nullptr : &*it;
}

QString ClassroomAdmission::noRoom(const QString& address) const
{
    if (m_seated.size() >= m_limits.pupils)
        return QStringLiteral("Класс уже полон: в нём %1 учеников. Скажи об этом учителю.")
            .arg(m_limits.pupils);
    if (m_seatedAt.value(address) >= m_limits.pupilsPerAddress)
        return QStringLiteral("С этого адреса в классе уже %1 учеников. Скажи об этом учителю.")
            .arg(m_limits.pupilsPerAddress);
    return {};
}

void ClassroomAdmission::freeIdlePlaces(qint64 now)
{
    for (auto it = m_seated.begin(); it != m_seated.end();) {
        Pupil& pupil = m_pupils[*it];
        if (pupil.lastActive > now - IdleMs) {
            ++it;
            continue;
        }
        if (--m_seatedAt[pupil.address] == 0)
            m_seatedAt.remove(pupil.address);
        pupil.address.clear();
        it = m_seated.erase(it);
    }
}

// An empty text when the pupil has a place, or got one now.
QString ClassroomAdmission::seat(Pupil& pupil, const QString& address, qint64 now)
{
    if (!pupil.address.isEmpty())
        return {};
    if (!noRoom(address).isEmpty())
        freeIdlePlaces(now);
    if (QString full = noRoom(address); !full.isEmpty())
        return full;
    pupil.address = address;
    ++m_seatedAt[address];
    m_seated.insert(pupil.digest);
    return {};
}

void ClassroomAdmission::forgetOne()
{
    auto oldest = m_pupils.end();
    for (auto it = m_pupils.begin(); it != m_pupils.end(); ++it)
        if (it->address.isEmpty() &&
            (oldest == m_pupils.end() || it->lastActive < oldest->lastActive))
            oldest = it;
    if (oldest != m_pupils.end())
        m_pupils.erase(oldest);
}

ClassroomAdmission::Decision ClassroomAdmission::decided(const Pupil& pupil) const
{
    Decision decision;
    decision.id = pupil.id;
    decision.name = pupil.name;
    decision.number = pupil.number;
    decision.pupil = pupil.pupil;
    return decision;
}

ClassroomAdmission::Decision ClassroomAdmission::refusedPlace(const QString& address,
                                                              const QString& full) const
{
    Decision decision = refusal(403, full);
    decision.addressFull =
        m_seated.size() < m_limits.pupils && m_seatedAt.value(address) >= m_limits.pupilsPerAddress;
    return decision;
}

ClassroomAdmission::Decision ClassroomAdmission::join(const QString& address, const PupilPost& post,
                                                      qint64 now)
{
    // A page coming back with its token (a reload, a second tab) is no new pupil to slow down.
    if (post.tokenSent) {
        Pupil* pupil = find(post.token);
        if (!pupil)
            return refusal(403, UnknownPupil);
        if (QString full = seat(*pupil, address, now); !full.isEmpty())
            return refusedPlace(address, full);
        pupil->lastActive = now;
        Decision decision = decided(*pupil);
        decision.token = post.token;
        return decision;
    }
    if (!withinRate(m_joins[address], m_limits.joinsPerAddress, now))
        return refusal(429, QStringLiteral("Слишком много входов с этого адреса. Подожди минуту "
                                           "и попробуй ещё раз."));
    if (m_joins.size() > 4096)
        for (auto it = m_joins.begin(); it != m_joins.end();)
            it = it->back() <= now - 60000 ? m_joins.erase(it) : std::next(it);
    if (!noRoom(address).isEmpty())
        freeIdlePlaces(now);
    if (QString full = noRoom(address); !full.isEmpty())
        return refusedPlace(address, full);
    if (m_pupils.size() >= MaxKnown)
        forgetOne();
    const QByteArray token = randomHex();
    const LessonPupil joined{digest(token), QString::fromLatin1(randomHex()),
                             post.name,     m_names.take(post.name),
                             ++m_joined,    QDateTime::currentDateTime()};
    Pupil& added = admit(joined);
    added.lastActive = now;
    seat(added, address, now);
    Decision decision = decided(added);
    decision.token = token;
    decision.joined = joined;
    return decision;
}

ClassroomAdmission::Decision ClassroomAdmission::presence(const QByteArray& token, qint64 now)
{
    Pupil* pupil = find(token);
    if (!pupil)
        return refusal(403, UnknownPupil);
    pupil->lastActive = now;
    return decided(*pupil);
}

void ClassroomAdmission::remove(const QString& id)
{
    for (auto it = m_pupils.begin(); it != m_pupils.end(); ++it) {
        if (it->id != id)
            continue;
        if (m_seated.remove(it->digest) && --m_seatedAt[it->address] == 0)
            m_seatedAt.remove(it->address);
        m_pupils.erase(it);
        return;
    }
}

ClassroomAdmission::Decision ClassroomAdmission::result(const QString& address,
                                                        const PupilPost& post, qint64 now)
{
    Pupil* pupil = find(post.token);
    if (!pupil)
        return refusal(403, UnknownPupil);
    if (QString full = seat(*pupil, address, now); !full.isEmpty())
        return refusedPlace(address, full);
    pupil->lastActive = now;
    Decision decision = decided(*pupil);
    if (const auto it = pupil->recorded.constFind(post.seq); it != pupil->recorded.cend()) {
        decision.repeated = true;
        decision.answers = *it;
        return decision;
    }
    if (post.seq <= pupil->forgottenSeq) {
        decision.repeated = true;
        decision.answers = post.answers;
        return decision;
    }
    if (!withinRate(pupil->results, m_limits.resultsPerPupil, now))
        return refusal(429, QStringLiteral("Слишком много отправок. Подожди минуту и проверь "
                                           "ещё раз."));
    remember(*pupil, post.seq, post.answers);
    return decision;
}
