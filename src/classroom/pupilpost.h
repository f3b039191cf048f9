// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/answerorder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

struct PupilResult;

// What a pupil's page posted, read from the body alone: whether it is well formed, never whether
// it is allowed (that is ClassroomAdmission's).
struct PupilPost {
    enum class Kind { Join, Result };
    // Per answer cell: 0 when left empty, else the picture number 1..6 given to it.
    using Answers = std::array<int, 6>;

    Kind kind = Kind::Join;
    // Join: the name as cleanPupilName leaves it, never empty.
    QString name;
    // As sent: whether it is one the server made is for ClassroomAdmission to say.
    QByteArray token;
    bool tokenSent = false;
    Answers answers{};
    qint64 seq = 0;

    // join {"name"[, "token"]}, result {["token", ]"answers", "seq"}: exactly those fields, the
    // token a string; nothing when anything else came. A result without a token is parsed, so
    // that it gets the same 403 as a wrong one.
    static std::optional<PupilPost> parse(Kind kind, QByteArrayView body);
};

// The answers a result recorded, as a post carries them (an empty cell: 0).
PupilPost::Answers answersOf(const PupilResult& result);
// Whether each cell holds the picture the order puts there.
std::array<bool, 6> markAnswers(const PupilPost::Answers& answers, const AnswerOrder& order);
// 32 lowercase hex digits, nothing before or after.
bool isToken(const QByteArray& text);
