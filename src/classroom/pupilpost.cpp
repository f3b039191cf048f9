// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/pupilpost.h"

#include "classroom/pupilresult.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace
{

// An integer in [least, most] written as a JSON number; "1", true and 1.5 are not.
std::optional<qint64> wholeNumber(const QJsonValue& value, qint64 least, qint64 most)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < double(least) || number > double(most))
        return std::nullopt;
    return qint64(number);
}

} // namespace

bool isToken(const QByteArray& text)
{
    return text.size() == 32 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::optional<PupilPost> PupilPost::parse(Kind kind, QByteArrayView body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    PupilPost post;
    post.kind = kind;
    const QJsonValue token = object.value(QStringLiteral("token"));
    post.tokenSent = !token.isUndefined();
    post.token = token.toString().toUtf8();
    if (post.tokenSent && !token.isString())
        return std::nullopt;
    const int fields = kind == Kind::Join ? 1 : 2;
    if (object.size() != fields + int(post.tokenSent))
        return std::nullopt;
    if (kind == Kind::Join) {
        const QJsonValue name = object.value(QStringLiteral("name"));
        post.name = cleanPupilName(name.toString());
        if (!name.isString() || post.name.isEmpty())
            return std::nullopt;
        return post;
    }
    const QJsonArray answers = object.value(QStringLiteral("answers")).toArray();
    const auto seq = wholeNumber(object.value(QStringLiteral("seq")), 1, qint64(1) << 53);
    if (!seq || answers.size() != 6)
        return std::nullopt;
    post.seq = *seq;
    for (int i = 0; i < 6; ++i) {
        const QJsonValue answer = answers[i];
        const auto number = wholeNumber(answer, 1, 6);
        if (!answer.isNull() && !number)
            return std::nullopt;
        post.answers[size_t(i)] = int(number.value_or(0));
    }
    return post;
}

PupilPost::Answers answersOf(const PupilResult& result)
{
    PupilPost::Answers answers{};
    for (int i = 0; i < 6 && i < result.answers.size(); ++i)
        answers[size_t(i)] = result.answers[i].toInt();
    return answers;
}

std::array<bool, 6> markAnswers(const PupilPost::Answers& answers, const AnswerOrder& order)
{
    std::array<bool, 6> marks{};
    for (size_t i = 0; i < marks.size(); ++i)
        marks[i] = answers[i] == order.entries[i];
    return marks;
}
