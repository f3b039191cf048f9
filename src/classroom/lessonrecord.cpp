// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/lessonrecord.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

namespace
{

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

QString newLessonNumber()
{
    return QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1000000), 6, 10,
                                    QLatin1Char('0'));
}

QByteArray LessonRecord::pageDigest(const QByteArray& page)
{
    return QCryptographicHash::hash(page, QCryptographicHash::Sha256).toHex();
}

QByteArray LessonRecord::headerLine() const
{
    return compact({{QStringLiteral("lesson"), code},
                    {QStringLiteral("number"), number},
                    {QStringLiteral("page"), QString::fromLatin1(page)}});
}

QByteArray LessonRecord::joinLine(const LessonPupil& pupil)
{
    return compact({{QStringLiteral("joined"), pupil.id},
                    {QStringLiteral("token"), QString::fromLatin1(pupil.tokenDigest.toHex())},
                    {QStringLiteral("name"), pupil.name},
                    {QStringLiteral("number"), pupil.number},
                    {QStringLiteral("pupil"), pupil.pupil},
                    {QStringLiteral("time"), pupil.joined.toString(Qt::ISODate)}});
}

QByteArray LessonRecord::removalLine(const QString& id, const QDateTime& time)
{
    return compact(
        {{QStringLiteral("removed"), id}, {QStringLiteral("time"), time.toString(Qt::ISODate)}});
}

LessonRecord LessonRecord::read(const QString& path)
{
    LessonRecord record;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return record;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (auto result = PupilResult::fromJsonLine(line)) {
            record.results << *result;
            continue;
        }
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (const QString code = object.value(QStringLiteral("lesson")).toString();
            !code.isEmpty() && record.code.isEmpty()) {
            record.code = code;
            record.number = object.value(QStringLiteral("number")).toString();
            record.page = object.value(QStringLiteral("page")).toString().toLatin1();
        } else if (const QString id = object.value(QStringLiteral("joined")).toString();
                   !id.isEmpty()) {
            LessonPupil pupil;
            pupil.id = id;
            pupil.tokenDigest =
                QByteArray::fromHex(object.value(QStringLiteral("token")).toString().toLatin1());
            pupil.name = object.value(QStringLiteral("name")).toString();
            pupil.number = object.value(QStringLiteral("number")).toInt(1);
            pupil.pupil = object.value(QStringLiteral("pupil")).toInt();
            pupil.joined =
                QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODate);
            if (pupil.tokenDigest.size() == 32 && !pupil.name.isEmpty())
                record.pupils << pupil;
        } else if (const QString gone = object.value(QStringLiteral("removed")).toString();
                   !gone.isEmpty()) {
            record.removed.insert(gone);
        }
    }
    return record;
}
