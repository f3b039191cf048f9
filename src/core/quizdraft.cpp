// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizdraft.h"

#include "core/quizsetup.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace
{
constexpr int DraftFormat = 1;
}

bool QuizDraft::isEmpty() const
{
    return sameWorkAs(QuizDraft{});
}

bool QuizDraft::sameWorkAs(const QuizDraft& other) const
{
    return titleText == other.titleText && quizSlots == other.quizSlots;
}

QByteArray QuizDraft::toJson() const
{
    QJsonArray slotList;
    for (const Slot& slot : quizSlots)
        slotList.append(QJsonObject{{"picture", slot.picturePath},
                                    {"question", slot.question},
                                    {"answer", slot.answer}});
    const QJsonObject draft{{"format", DraftFormat},      {"title", titleText},
                            {"slots", slotList},          {"currentSlot", currentSlot},
                            {"oneForAll", oneForAll},     {"folderName", folderName},
                            {"asksFolderName", asksFolderName}};
    return QJsonDocument(draft).toJson();
}

std::optional<QuizDraft> QuizDraft::fromJson(const QByteArray& json)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    const QJsonObject object = document.object();
    const QJsonArray slotList = object.value("slots").toArray();
    const int current = object.value("currentSlot").toInt();
    if (parseError.error != QJsonParseError::NoError ||
        object.value("format").toInt() != DraftFormat ||
        slotList.size() != int(std::tuple_size_v<decltype(quizSlots)>) || current < 1 ||
        current > QuizSetup::SlotCount)
        return std::nullopt;
    QuizDraft draft;
    draft.titleText = object.value("title").toString();
    for (int i = 0; i < slotList.size(); ++i) {
        const QJsonObject slot = slotList.at(i).toObject();
        draft.quizSlots[i] = {slot.value("picture").toString(), slot.value("question").toString(),
                          slot.value("answer").toString()};
    }
    draft.currentSlot = current;
    draft.oneForAll = object.value("oneForAll").toBool();
    draft.folderName = object.value("folderName").toString();
    draft.asksFolderName = object.value("asksFolderName").toBool(true);
    return draft;
}
