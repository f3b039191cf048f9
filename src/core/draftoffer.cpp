// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/draftoffer.h"

#include "core/idialogs.h"
#include "core/texts.h"

std::optional<DraftStore::Orphan> offerOrphanedDrafts(const QList<DraftStore::Orphan>& orphans,
                                                      IDialogs& dialogs)
{
    if (orphans.isEmpty())
        return std::nullopt;
    const qsizetype count = orphans.size();
    if (count == 1) {
        if (dialogs.yesNo(CoreText::WarningCaption, CoreText::RestoreOne))
            return orphans.first();
        DraftStore::discard(orphans.first().path);
        return std::nullopt;
    }
    if (dialogs.yesNo(
            CoreText::WarningCaption,
            CoreText::RestoreNewest.arg(QString::number(count), orphans.first().draft.titleText))) {
        for (const DraftStore::Orphan& orphan : orphans.mid(1))
            DraftStore::setAside(orphan.path);
        return orphans.first();
    }
    // Deleting work is never the default.
    const bool remove =
        dialogs.yesNo(CoreText::WarningCaption, CoreText::DeleteAll.arg(count), false);
    for (const DraftStore::Orphan& orphan : orphans) {
        if (remove)
            DraftStore::discard(orphan.path);
        else
            DraftStore::setAside(orphan.path);
    }
    return std::nullopt;
}
