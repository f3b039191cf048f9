// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/draftoffer.h"

#include "core/idialogs.h"

namespace
{

const QString RestoreOne = QStringLiteral("Восстановить несгенерированную викторину?");
const QString RestoreNewest = QStringLiteral(
    "Найдены несгенерированные викторины (всего: %1). Восстановить последнюю — «%2»?");
const QString DeleteAll = QStringLiteral("Удалить несгенерированные викторины (всего: %1)?");

} // namespace

std::optional<DraftStore::Orphan> offerOrphanedDrafts(const QList<DraftStore::Orphan>& orphans,
                                                      IDialogs& dialogs)
{
    if (orphans.isEmpty())
        return std::nullopt;
    const qsizetype count = orphans.size();
    if (count == 1) {
        if (dialogs.yesNo(WarningCaption, RestoreOne))
            return orphans.first();
        DraftStore::discard(orphans.first().path);
        return std::nullopt;
    }
    if (dialogs.yesNo(WarningCaption,
                      RestoreNewest.arg(QString::number(count), orphans.first().draft.titleText))) {
        for (const DraftStore::Orphan& orphan : orphans.mid(1))
            DraftStore::setAside(orphan.path);
        return orphans.first();
    }
    // Deleting work is never the default.
    const bool remove = dialogs.yesNo(WarningCaption, DeleteAll.arg(count), false);
    for (const DraftStore::Orphan& orphan : orphans) {
        if (remove)
            DraftStore::discard(orphan.path);
        else
            DraftStore::setAside(orphan.path);
    }
    return std::nullopt;
}
