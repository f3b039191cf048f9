// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/quizeditor.h"

#include "core/generatedquiz.h"
#include "core/idialogs.h"
#include "core/quirvelerror.h"
#include "jpeg/jpegdecoder.h"
#include "ui/inputgate.h"
#include "ui/slotpanel.h"
#include "ui/slotstrip.h"
#include "ui/textfields.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <exception>
#include <memory>
#include <utility>

namespace
{

const QString EmptySlotsText =
    QStringLiteral("Картинки нет или она не читается, ячейки остались пустыми: %1");
const QString PictureFileCaption = QStringLiteral("Картинка из файла");
// Upper-case names too: the dialog matches names case-sensitively here.
const QString PictureFileFilter = QStringLiteral(
    "Картинки (*.jpg *.jpeg *.jpe *.jfif *.png *.gif *.bmp *.webp *.tif *.tiff *.heic *.heif "
    "*.avif *.JPG *.JPEG *.JPE *.JFIF *.PNG *.GIF *.BMP *.WEBP *.TIF *.TIFF *.HEIC *.HEIF *.AVIF);;"
    "Все файлы (*)");
const QString GoneDraftPicturesText = QStringLiteral(
    "Этих картинок нет, они не читаются или изменились, их ячейки остались пустыми:");

} // namespace

QuizEditor::QuizEditor(IDialogs& dialogs, QLineEdit* titleEdit, SlotStrip* slotStrip,
                       SlotPanel* slotPanel, const QString& convertedFolder, QObject* parent)
    : QObject(parent), m_dialogs(dialogs), m_titleEdit(titleEdit), m_slotStrip(slotStrip),
      m_slotPanel(slotPanel), m_converted(convertedFolder)
{
    connect(m_slotStrip, &SlotStrip::thumbnailClicked, this,
            InputGate::ifOpen(m_titleEdit->window(), this, &QuizEditor::chooseSlot));
    connect(m_slotPanel, &SlotPanel::answerEdited, this, &QuizEditor::storeAnswer);
    connect(m_slotPanel, &SlotPanel::questionEdited, this, &QuizEditor::storeQuestion);
    connect(m_slotPanel, &SlotPanel::answerClicked, this, &QuizEditor::showStoredAnswer);
    connect(m_titleEdit, &QLineEdit::textChanged, this, &QuizEditor::titleEdited);
}

QuizDraft QuizEditor::work() const
{
    QuizDraft work;
    work.titleText = m_titleEdit->text();
    for (int k = 1; k <= SlotCount; ++k) {
        const QuizSlot& slot = m_setup.slot(k);
        QuizDraft::Slot& saved = work.quizSlots[size_t(k - 1)];
        saved = {slot.chosen ? slot.picturePath : QString(), slot.question, slot.answer};
        if (slot.chosen && m_keptPictures.file(k).path == slot.picturePath)
            work.pictureFiles[size_t(k - 1)] = m_keptPictures.file(k);
    }
    work.currentSlot = m_setup.currentSlot;
    work.oneForAll = m_slotPanel->oneForAll();
    work.folderName = m_setup.folderName;
    work.asksFolderName = m_setup.firstGeneration;
    return work;
}

bool QuizEditor::holdsComposition() const
{
    if (!m_titleEdit->text().isEmpty())
        return true;
    for (int k = 1; k <= SlotCount; ++k) {
        const QuizSlot& slot = m_setup.slot(k);
        if (slot.chosen || !slot.picturePath.isEmpty() || !slot.question.isEmpty() ||
            !slot.answer.isEmpty())
            return true;
    }
    return false;
}

void QuizEditor::showEmpty()
{
    guarded(m_dialogs, [this] {
        m_setup.selectSlot(1);
        m_slotStrip->showPlaceholders();
        m_slotPanel->clearPreview();
        m_slotStrip->frameSlot(1);
    });
}

void QuizEditor::clear()
{
    m_setup.reset();
    m_keptPictures.forgetAll();
    m_history.clear();
    m_slotStrip->showPlaceholders();
    m_slotPanel->clearPreview();
    m_slotStrip->frameSlot(1);
    // Emptying the answer and question fields runs their handlers, which agree with the emptied
    // quiz.
    for (int k = 1; k <= SlotCount; ++k)
        m_slotStrip->setAnswerCopy(k, QString());
    setTitle(QString());
    m_slotPanel->showSlot(1, m_setup.slot(1));
    emit changed();
}

QList<int> QuizEditor::load(const QuizDraft& draft)
{
    m_setup.reset();
    m_setup.folderName = draft.folderName;
    m_setup.firstGeneration = draft.asksFolderName;
    m_setup.currentSlot = draft.currentSlot;
    m_keptPictures.forgetAll();
    m_history.clear();
    m_slotStrip->showPlaceholders();
    m_slotPanel->clearPreview();
    QList<int> emptySlots;
    for (int k = 1; k <= SlotCount; ++k) {
        const QuizDraft::Slot& saved = draft.quizSlots[size_t(k - 1)];
        QuizSlot& slot = m_setup.slot(k);
        slot.question = saved.question;
        slot.answer = saved.answer;
        m_slotStrip->setAnswerCopy(k, slot.answer);
        if (saved.picturePath.isEmpty())
            continue;
        try {
            // A picture changed since is not the one the work had.
            const FileIdentity& file = draft.pictureFiles[size_t(k - 1)];
            if (!QFileInfo(saved.picturePath).isFile() ||
                (file.isValid() && FileIdentity::of(saved.picturePath) != file))
                throw QuirvelError(saved.picturePath);
            const KeptPictures::Copies& copies = m_keptPictures.take(k, saved.picturePath);
            m_slotStrip->paintPicture(k, copies.thumbnail);
            if (k == draft.currentSlot)
                m_slotPanel->setPreview(copies.preview);
            slot.picturePath = saved.picturePath;
            slot.chosen = true;
        } catch (const std::exception&) {
            m_keptPictures.forget(k);
            emptySlots << k;
        }
    }
    m_slotStrip->frameSlot(draft.currentSlot);
    m_slotPanel->setOneForAll(draft.oneForAll);
    // Set as they were stored: the one-for-all box must not copy one slot's question to all.
    m_slotPanel->showSlot(draft.currentSlot, m_setup.current(), true);
    setTitle(draft.titleText);
    emit changed();
    return emptySlots;
}

QList<int> QuizEditor::loadReopened(const GeneratedQuiz& quiz)
{
    adoptReopened(m_setup, quiz, m_setup.quizzesFolder);
    QuizDraft draft = work();
    draft.titleText = m_setup.title;
    draft.currentSlot = 1;
    for (int k = 1; k <= SlotCount; ++k)
        draft.quizSlots[size_t(k - 1)] = {
            QDir(quiz.folder).filePath(QStringLiteral("%1.jpg").arg(k)), m_setup.slot(k).question,
            m_setup.slot(k).answer};
    return load(draft);
}

bool QuizEditor::restore(const QuizDraft& draft)
{
    QStringList named;
    for (int k : load(draft))
        named << QStringLiteral("Картинка %1 (%2)")
                     .arg(k)
                     .arg(draft.quizSlots[size_t(k - 1)].picturePath);
    if (!named.isEmpty())
        m_problems = GoneDraftPicturesText + QLatin1Char('\n') + named.join(QLatin1Char('\n'));
    return named.isEmpty();
}

bool QuizEditor::reopen(const GeneratedQuiz& quiz)
{
    QStringList numbers;
    for (int k : loadReopened(quiz))
        numbers << QString::number(k);
    if (!numbers.isEmpty())
        m_problems = EmptySlotsText.arg(numbers.join(QStringLiteral(", ")));
    return numbers.isEmpty();
}

void QuizEditor::nameProblems()
{
    if (!m_problems.isEmpty())
        m_dialogs.message(std::exchange(m_problems, QString()));
    namePartialPictures();
}

void QuizEditor::dropPictures(const QStringList& paths, int first)
{
    int next = first ? first : m_setup.currentSlot;
    int lastFilled = 0;
    auto step = std::make_unique<QUndoCommand>(QStringLiteral("Картинки"));
    for (const QString& path : paths) {
        if (next > SlotCount)
            break;
        const int k = next++;
        chooseSlot(k);
        guarded(m_dialogs, [&] {
            m_setup.currentFile = path;
            takeJpeg(convertedFile(k, path), step.get());
            lastFilled = k;
        });
    }
    if (step->childCount() > 0)
        m_history.push(step.release());
    emit changed();
    if (lastFilled != 0 && lastFilled != m_setup.currentSlot)
        chooseSlot(lastFilled);
    namePartialPictures();
}

void QuizEditor::dropPictureData(const QByteArray& data, int first)
{
    if (first)
        chooseSlot(first);
    guarded(m_dialogs, [&] {
        QString path;
        try {
            path = m_converted.fileForData(data);
        } catch (const QuirvelError& e) {
            throw QuirvelError(namedPictureFailure(m_setup.currentSlot,
                                                   QStringLiteral("из буфера обмена"), e.text()));
        }
        takeJpeg(path);
    });
    emit changed();
    namePartialPictures();
}

void QuizEditor::openPictureFile(const QString& folder)
{
    const std::optional<QString> path =
        m_dialogs.openFile(PictureFileCaption, folder, PictureFileFilter);
    if (path)
        dropPictures({*path}, 0);
}

QString QuizEditor::convertedFile(int k, const QString& path) const
{
    try {
        return m_converted.fileFor(path);
    } catch (const QuirvelError& e) {
        throw QuirvelError(namedPictureFailure(k, QFileInfo(path).fileName(), e.text()));
    }
}

void QuizEditor::putPicture(int k, const SlotPictureCommand::Picture& picture)
{
    chooseSlot(k);
    guarded(m_dialogs, [&] {
        if (picture.chosen) {
            const KeptPictures::Copies& copies = m_keptPictures.take(k, picture.path);
            m_slotPanel->setPreview(copies.preview);
            m_slotStrip->paintPicture(k, copies.thumbnail);
        } else {
            m_keptPictures.forget(k);
            m_slotPanel->clearPreview();
            m_slotStrip->paintPicture(k, SlotStrip::placeholder());
        }
        m_setup.slot(k).picturePath = picture.path;
        m_setup.slot(k).chosen = picture.chosen;
    });
    emit changed();
    namePartialPictures();
}

QSet<QString> QuizEditor::picturesInUse() const
{
    QSet<QString> paths;
    for (int k = 1; k <= SlotCount; ++k)
        paths << m_setup.slot(k).picturePath;
    for (int i = 0; i < m_history.count(); ++i) {
        const QUndoCommand* step = m_history.command(i);
        for (int c = -1; c < step->childCount(); ++c)
            if (const auto* change =
                    dynamic_cast<const SlotPictureCommand*>(c < 0 ? step : step->child(c)))
                for (const QString& path : change->paths())
                    paths << path;
    }
    paths.remove(QString());
    return paths;
}

void QuizEditor::namePartialPictures()
{
    const QString text = m_keptPictures.takeNotices();
    if (!text.isEmpty())
        m_dialogs.message(text);
}

void QuizEditor::chooseSlot(int k)
{
    guarded(m_dialogs, [this, k] { switchSlot(k); });
    emit changed();
}

void QuizEditor::switchSlot(int k)
{
    const QuizSlot& slot = m_setup.slot(k);
    m_slotStrip->frameSlot(k);
    m_setup.selectSlot(k);

    // A picture that has gone since it was chosen does not stop the switch: the slot's texts
    // still come up, and only then is the failure reported.
    std::exception_ptr previewFailure;
    if (slot.chosen) {
        try {
            m_slotPanel->setPreview(m_keptPictures.fresh(k, slot.picturePath).preview);
        } catch (...) {
            m_slotPanel->clearPreview();
            previewFailure = std::current_exception();
        }
    } else {
        m_slotPanel->clearPreview();
    }
    m_slotPanel->showSlot(k, slot);
    if (previewFailure)
        std::rethrow_exception(previewFailure);
}

void QuizEditor::choosePicture(const QString& path)
{
    guarded(m_dialogs, [&] { takeFile(path); });
    emit changed();
    namePartialPictures();
}

void QuizEditor::takeFile(const QString& path)
{
    m_setup.currentFile = path;
    if (!QuizSetup::takesPictureFile(path))
        return;

    takeJpeg(path);
}

void QuizEditor::takeJpeg(const QString& path, QUndoCommand* step)
{
    const int k = m_setup.currentSlot;
    const SlotPictureCommand::Picture before{m_setup.current().picturePath,
                                             m_setup.current().chosen};
    // If the decode fails, the slot keeps everything.
    const KeptPictures::Copies& copies = m_keptPictures.take(k, path);
    m_slotPanel->setPreview(copies.preview);
    m_slotStrip->paintPicture(k, copies.thumbnail);
    m_setup.setPicture(path);
    const SlotPictureCommand::Picture after{path, true};
    if (before == after)
        return;
    if (step)
        new SlotPictureCommand(this, k, before, after, step);
    else
        m_history.push(new SlotPictureCommand(this, k, before, after));
}

void QuizEditor::setTitle(const QString& text)
{
    m_title = text;
    setTextFromProgram(m_titleEdit, text);
}

void QuizEditor::titleEdited(const QString& text)
{
    if (text != m_title && !admitsEdit())
        return;
    m_title = text;
    emit changed();
}

// Assistive technology edits the fields around the input gate's event filter and modality; while
// the gate is shut only the program writes them, and any other change is put back.
bool QuizEditor::admitsEdit()
{
    if (InputGate::isOpen(m_titleEdit->window()))
        return true;
    setTextFromProgram(m_titleEdit, m_title);
    m_slotPanel->showSlot(m_setup.currentSlot, m_setup.current(), true);
    return false;
}

void QuizEditor::storeAnswer()
{
    if (!admitsEdit())
        return;
    guarded(m_dialogs, [this] {
        m_setup.setAnswer(m_slotPanel->storedAnswer());
        m_slotStrip->setAnswerCopy(m_setup.currentSlot, m_setup.current().answer);
    });
    emit changed();
}

void QuizEditor::storeQuestion()
{
    if (!admitsEdit())
        return;
    guarded(m_dialogs,
            [this] { m_setup.setQuestion(m_slotPanel->question(), m_slotPanel->oneForAll()); });
    emit changed();
}

void QuizEditor::showStoredAnswer()
{
    guarded(m_dialogs, [this] { m_slotPanel->showAnswer(m_setup.current().answer); });
}
