// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/fileidentity.h"
#include "core/quizsetup.h"

#include <QImage>
#include <QMap>
#include <QString>

#include <array>

// Each slot's small copies of its picture (thumbnail and preview, about 0.2 MB a slot), kept with
// the identity of the file they were made from: a slot switch then shows the kept preview and
// decodes the picture again only when the file has changed. A picture that decoded only in part is
// kept so too, and named once, when it is taken.
class KeptPictures
{
public:
    static constexpr int SlotCount = QuizSetup::SlotCount;

    struct Copies {
        FileIdentity file;
        QImage thumbnail;
        QImage preview;
        bool damaged = false; // decoded only in part, the rest grey
    };

    // Decodes path into slot k's copies, replacing what was kept. A file that can't be decoded
    // throws "Картинка k (name): reason" and leaves the slot's copies as they were.
    const Copies& take(int k, const QString& path);
    // One line for each picture taken since the last call that decoded only in part; empty when
    // none did. A drop of several pictures is then named in one box.
    QString takeNotices();
    // Slot k's copies of path: the kept ones while the file is unchanged, else taken again.
    const Copies& fresh(int k, const QString& path);
    // The file slot k's copies were made from; invalid when none are kept.
    const FileIdentity& file(int k) const { return m_slots.at(size_t(k - 1)).file; }
    void forget(int k)
    {
        at(k) = Copies();
        m_notices.remove(k);
    }
    void forgetAll()
    {
        m_slots.fill(Copies());
        m_notices.clear();
    }

private:
    Copies& at(int k);
    Copies& decode(int k, const QString& path);

    std::array<Copies, SlotCount> m_slots;
    QMap<int, QString> m_notices; // by slot: a slot taken again is named for its new picture
};
