// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/unsavedwork.h"

#include "core/draftoffer.h"
#include "core/errorreason.h"
#include "core/idialogs.h"

#include <QTimer>

#include <utility>

UnsavedWork::UnsavedWork(WorkSource work, std::unique_ptr<DraftStore> drafts, QObject* parent)
    : QObject(parent), m_work(std::move(work)), m_drafts(std::move(drafts)),
      m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(DraftDelayMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &UnsavedWork::writeDraft);
}

UnsavedWork::~UnsavedWork() = default;

QString UnsavedWork::heldFolder() const
{
    return !m_folder.isEmpty() && m_work().sameWorkAs(m_folderWork) ? m_folder : QString();
}

bool UnsavedWork::holdsUnsavedWork() const
{
    const QuizDraft work = m_work();
    return !work.isEmpty() && (m_folder.isEmpty() || !work.sameWorkAs(m_folderWork));
}

void UnsavedWork::noteChange()
{
    if (m_drafts && !m_timer->isActive())
        m_timer->start();
}

void UnsavedWork::saved(const QString& folder, const QuizDraft& work)
{
    m_folder = folder;
    m_folderWork = work;
    writeDraft();
}

void UnsavedWork::forget()
{
    m_folder.clear();
    m_folderWork = QuizDraft();
    writeDraft();
}

void UnsavedWork::writeDraft()
{
    m_timer->stop();
    if (!m_drafts)
        return;
    if (!holdsUnsavedWork()) {
        m_drafts->remove();
        return;
    }
    const std::error_code failure = m_drafts->save(m_work());
    if (!failure) {
        m_failureSaid = false;
    } else if (!m_failureSaid) {
        m_failureSaid = true;
        emit draftFailed(errorReason(failure));
    }
}

void UnsavedWork::discardDraft()
{
    m_timer->stop();
    if (m_drafts)
        m_drafts->remove();
}

std::optional<DraftStore::Orphan> UnsavedWork::offerOrphans(IDialogs& dialogs)
{
    if (!m_drafts)
        return std::nullopt;
    QStringList renamedAside;
    const QList<DraftStore::Orphan> orphans = m_drafts->orphans(renamedAside);
    if (!renamedAside.isEmpty())
        dialogs.message(
            QStringLiteral("Несгенерированную викторину не удалось прочитать, её файл отложен:\n") +
            renamedAside.join(QLatin1Char('\n')));
    return offerOrphanedDrafts(orphans, dialogs);
}
