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
    out = out.left(cut).trimmed();
    // "Аня (2)" typed would pass for the second Аня of the class.
    static const QRegularExpression typedNumber(QStringLiteral("\\s*\\(\\s*[0-9]*\\s*\\)\\z"));
    while (typedNumber.match(out).hasMatch())
        out.remove(typedNumber);
    return out;
}
