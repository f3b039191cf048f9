// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/fileidentity.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// What the user has composed in the window, as far as it must survive a crash: the title field as
// typed, the six quizSlots, and the few choices that shape the next generation.
struct QuizDraft {
    struct Slot {
        QString picturePath;
        QString question;
        QString answer;
        bool operator==(const Slot&) const = default;
    };

    QString titleText;
    std::array<Slot, 6> quizSlots;
    int currentSlot = 1;
    bool oneForAll = false;
    QString folderName;
    bool asksFolderName = true;
    // The file each picture was read from, so a restore can tell a picture changed since from
    // the one the work had; invalid where unknown, as in drafts of earlier versions.
    std::array<FileIdentity, 6> pictureFiles;

    // Nothing typed and no picture chosen.
    bool isEmpty() const;
    // The same title field and quizSlots, whatever the current slot, the folder or the picture
    // files' identities: what a generated quiz folder holds of the window.
    bool sameWorkAs(const QuizDraft& other) const;

    QByteArray toJson() const;
    // Nothing when the bytes are not a draft this program wrote.
    static std::optional<QuizDraft> fromJson(const QByteArray& json);
};
