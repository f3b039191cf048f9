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

std::optional<QString> QtDialogs::chooseFolder(const QString& caption, const QString& start)
{
    // Qt's own dialog, whose labels can be Russian; the desktop's native one may be English.
    QFileDialog dialog(QApplication::activeWindow(), caption, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Имя папки:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Показывать:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Выбрать"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::saveFile(const QString& caption, const QString& proposedPath,
                                           const QString& filter)
{
    QFileDialog dialog(QApplication::activeWindow(), caption, proposedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The caller asks about an existing file, in Russian.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(proposedPath);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Имя файла:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Тип файла:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Сохранить"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
