// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/draftstore.h"

#include <optional>

class IDialogs;

// Asks what to do with the drafts that programs which have gone left behind (newest first): at
// most two questions, however many there are. Returns the draft to restore, still on disk until
// it is shown; every other one is deleted or set aside in "older", so none is offered again.
std::optional<DraftStore::Orphan> offerOrphanedDrafts(const QList<DraftStore::Orphan>& orphans,
                                                      IDialogs& dialogs);
