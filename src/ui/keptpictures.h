// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/fileidentity.h"

#include <QImage>
#include <QString>

#include <array>

// Each slot's small copies of its picture (thumbnail and preview, about 0.2 MB a slot), kept with
// the identity of the file they were made from: a slot switch then shows the kept preview and
// decodes the picture again only when the file has changed.
class KeptPictures
{
public:
    static constexpr int SlotCount = 6;

    struct Copies {
        FileIdentity file;
        QImage thumbnail;
        QImage preview;
    };

    // Decodes path into slot k's copies, replacing what was kept. A file that can't be decoded
    // throws as the decoder does and leaves the slot's copies as they were.
    const Copies& take(int k, const QString& path);
    // Slot k's copies of path: the kept ones while the file is unchanged, else taken again.
    const Copies& fresh(int k, const QString& path);
    // The file slot k's copies were made from; invalid when none are kept.
    const FileIdentity& file(int k) const { return m_slots.at(size_t(k - 1)).file; }
    void forget(int k) { at(k) = Copies(); }
    void forgetAll() { m_slots.fill(Copies()); }

private:
    Copies& at(int k);

    std::array<Copies, SlotCount> m_slots;
};
