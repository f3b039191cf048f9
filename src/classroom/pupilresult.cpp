// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/pupilresult.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray PupilResult::jsonLine() const
{
    const QJsonObject object{
        {QStringLiteral("time"), time.toString(Qt::ISODate)},
        {QStringLiteral("id"), id},
        {QStringLiteral("name"), name},
        {QStringLiteral("right"), right},
        {QStringLiteral("answers"), QJsonArray::fromStringList(answers)},
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
    const QString nfc = typed.normalized(QString::NormalizationForm_C);
    QString out;
    bool space = false;
    for (qsizetype i = 0; i < nfc.size(); ++i) {
        char32_t c = nfc[i].unicode();
        qsizetype units = 1;
        if (nfc[i].isHighSurrogate() && i + 1 < nfc.size() && nfc[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(nfc[i], nfc[i + 1]);
            units = 2;
        }
        const QChar::Category category = QChar::category(c);
        const bool broken = QChar::isSurrogate(c) && units == 1;
        if (category == QChar::Other_Control || category == QChar::Other_Format || broken ||
            category == QChar::Other_NotAssigned || category == QChar::Other_PrivateUse) {
            i += units - 1;
            continue;
        }
        if (QChar::isSpace(c)) {
            space = !out.isEmpty();
        } else {
            if (space)
                out += QLatin1Char(' ');
            space = false;
            out += nfc.mid(i, units);
        }
        i += units - 1;
    }
    // Cut by characters, never inside a surrogate pair.
    qsizetype cut = 0;
    for (int n = 0; cut < out.size() && n < MaxPupilNameLength; ++n)
        cut += out[cut].isHighSurrogate() && cut + 1 < out.size() ? 2 : 1;
    return out.left(cut).trimmed();
}
