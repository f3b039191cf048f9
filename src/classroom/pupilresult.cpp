// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/pupilresult.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

QByteArray PupilResult::jsonLine() const
{
    const QJsonObject object{
        {QStringLiteral("time"), time.toString(Qt::ISODate)},
        {QStringLiteral("id"), id},
        {QStringLiteral("name"), name},
        {QStringLiteral("number"), number},
        {QStringLiteral("right"), right},
        {QStringLiteral("answers"), QJsonArray::fromStringList(answers)},
        {QStringLiteral("seq"), seq},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<PupilResult> PupilResult::fromJsonLine(const QByteArray& line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    PupilResult result;
    result.time =
        QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODate);
    result.id = object.value(QStringLiteral("id")).toString();
    result.name = object.value(QStringLiteral("name")).toString();
    result.number = object.value(QStringLiteral("number")).toInt(0);
    result.seq = object.value(QStringLiteral("seq")).toInteger(0);
    result.right = object.value(QStringLiteral("right")).toInt(-1);
    for (const QJsonValue& answer : object.value(QStringLiteral("answers")).toArray())
        result.answers << answer.toString();
    if (!result.time.isValid() || result.id.isEmpty() || result.name.isEmpty() ||
        result.right < 0 || result.right > 6)
        return std::nullopt;
    return result;
}

QString cleanPupilName(const QString& typed)
{
    QString out;
    bool space = false;
    int length = 0;
    const auto keep = [&](char32_t c) {
        if (++length > MaxPupilNameLength)
            return false;
        out += QString::fromUcs4(&c, 1);
        return true;
    };
    // A lone surrogate comes out of toUcs4() as the replacement character, and goes too.
    for (const char32_t c : QStringView(typed.normalized(QString::NormalizationForm_C)).toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Other_NotAssigned || category == QChar::Other_PrivateUse ||
            c == QChar::ReplacementCharacter)
            continue;
        if (QChar::isSpace(c)) {
            space = !out.isEmpty();
            continue;
        }
        if ((space && !keep(U' ')) || !keep(c))
            break;
        space = false;
    }
    out = out.trimmed();
    // "Аня (2)" typed would pass for the second Аня of the class.
    static const QRegularExpression typedNumber(QStringLiteral("\\s*\\(\\s*[0-9]*\\s*\\)\\z"));
    while (typedNumber.match(out).hasMatch())
        out.remove(typedNumber);
    return out;
}
