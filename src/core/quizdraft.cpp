// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizdraft.h"

#include "core/quizsetup.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace
{
constexpr int DraftFormat = 1;

// As strings: nanosecond times and inode numbers lose digits in a JSON number.
QJsonObject identityObject(const FileIdentity& file)
{
    return {{"size", QString::number(file.size)},
            {"modifiedNs", QString::number(file.modifiedNs)},
            {"changedNs", QString::number(file.changedNs)},
            {"inode", QString::number(file.inode)},
            {"device", QString::number(file.device)}};
}

FileIdentity identityFrom(const QJsonObject& object, const QString& path)
{
    if (object.isEmpty())
        return FileIdentity{};
    return FileIdentity{path,
                        object.value("size").toString().toLongLong(),
                        object.value("modifiedNs").toString().toLongLong(),
                        object.value("changedNs").toString().toLongLong(),
                        object.value("inode").toString().toULongLong(),
                        object.value("device").toString().toULongLong()};
}

} // namespace

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
    for (size_t i = 0; i < quizSlots.size(); ++i) {
        const Slot& slot = quizSlots[i];
        QJsonObject object{
            {"picture", slot.picturePath}, {"question", slot.question}, {"answer", slot.answer}};
        if (pictureFiles[i].isValid() && !slot.picturePath.isEmpty())
            object.insert("pictureFile", identityObject(pictureFiles[i]));
        slotList.append(object);
    }
    const QJsonObject draft{
        {"format", DraftFormat},           {"title", titleText},     {"slots", slotList},
        {"currentSlot", currentSlot},      {"oneForAll", oneForAll}, {"folderName", folderName},
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
        draft.pictureFiles[i] =
            identityFrom(slot.value("pictureFile").toObject(), draft.quizSlots[i].picturePath);
    }
    draft.currentSlot = current;
    draft.oneForAll = object.value("oneForAll").toBool();
    draft.folderName = object.value("folderName").toString();
    draft.asksFolderName = object.value("asksFolderName").toBool(true);
    return draft;
}
