// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qtdialogs.h"

#include "core/quirvelerror.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace
{

void centreOnScreen(QWidget& w)
{
    if (const QScreen* screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen()) {
        QRect r = w.frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        w.move(r.topLeft());
    }
}

// A box settles its size only while it is being shown, so it is centred after that.
template <class Dialog> class Centred : public Dialog
{
public:
    using Dialog::Dialog;

protected:
    void showEvent(QShowEvent* event) override
    {
        Dialog::showEvent(event);
        centreOnScreen(*this);
    }
};

using Box = Centred<QMessageBox>;

// Texts carry user input (titles, folder names): never let the box read them as markup.
int runBox(Box& box)
{
    box.setTextFormat(Qt::PlainText);
    return box.exec();
}

} // namespace

QString applicationTitle()
{
    return applicationTitleFrom(QCoreApplication::applicationFilePath());
}

void QtDialogs::message(const QString& text)
{
    Box box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok);
    runBox(box);
}

bool QtDialogs::confirm(const QString& text)
{
    Box box(QMessageBox::Question, QStringLiteral("Confirm"), text,
            QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return runBox(box) == QMessageBox::Ok;
}

bool QtDialogs::yesNo(const QString& caption, const QString& text, bool defaultYes)
{
    Box box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    return runBox(box) == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::input(const QString& caption, const QString& prompt,
                                        const QString& preset)
{
    Centred<QInputDialog> dialog;
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(preset);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancel"));
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMaxLength(InputMaxLength);
        edit->setText(preset.left(InputMaxLength));
        edit->selectAll();
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void QtDialogs::error(const QString& text)
{
    Box box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok);
    runBox(box);
}

namespace
{

// Qt's own file dialog, whose labels can be Russian; the desktop's native one may be English.
// The labels: the folder box, the name box, the type box and the accepting button.
std::optional<QString> runFileDialog(QFileDialog& dialog, const QStringList& labels)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setLabelText(QFileDialog::LookIn, labels.at(0));
    dialog.setLabelText(QFileDialog::FileName, labels.at(1));
    dialog.setLabelText(QFileDialog::FileType, labels.at(2));
    dialog.setLabelText(QFileDialog::Accept, labels.at(3));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> QtDialogs::chooseFolder(const QString& caption, const QString& start)
{
    QFileDialog dialog(QApplication::activeWindow(), caption, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return runFileDialog(dialog, {QStringLiteral("Папка:"), QStringLiteral("Имя папки:"),
                                  QStringLiteral("Показывать:"), QStringLiteral("Выбрать")});
}

std::optional<QString> QtDialogs::saveFile(const QString& caption, const QString& proposedPath,
                                           const QString& filter)
{
    QFileDialog dialog(QApplication::activeWindow(), caption, proposedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The caller asks about an existing file, in Russian.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(proposedPath);
    return runFileDialog(dialog, {QStringLiteral("Папка:"), QStringLiteral("Имя файла:"),
                                  QStringLiteral("Тип файла:"), QStringLiteral("Сохранить")});
}

std::optional<QString> QtDialogs::openFile(const QString& caption, const QString& start,
                                           const QString& filter)
{
    QFileDialog dialog(QApplication::activeWindow(), caption, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return runFileDialog(dialog, {QStringLiteral("Папка:"), QStringLiteral("Имя файла:"),
                                  QStringLiteral("Тип файла:"), QStringLiteral("Открыть")});
}
