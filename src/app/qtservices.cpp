#include "qtservices.h"

#include "errors.h"
#include "filecopy.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

namespace
{

void CentreOnScreen(QWidget& w)
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
        CentreOnScreen(*this);
    }
};

using Box = Centred<QMessageBox>;

// Texts carry user input (titles, folder names): never let the box read them as markup.
int RunBox(Box& box)
{
    box.setTextFormat(Qt::PlainText);
    return box.exec();
}

} // namespace

QString ApplicationTitle()
{
    return ApplicationTitleFrom(QCoreApplication::applicationFilePath());
}

void QtDialogs::Message(const QString& text)
{
    Box box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok);
    RunBox(box);
}

bool QtDialogs::Confirm(const QString& text)
{
    Box box(QMessageBox::Question, QStringLiteral("Confirm"), text,
            QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return RunBox(box) == QMessageBox::Ok;
}

bool QtDialogs::YesNo(const QString& caption, const QString& text)
{
    Box box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return RunBox(box) == QMessageBox::Yes;
}

QString QtDialogs::Input(const QString& caption, const QString& prompt, const QString& preset)
{
    Centred<QInputDialog> dialog;
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(preset);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancel"));
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMaxLength(255);
        edit->setText(preset.left(255));
        edit->selectAll();
    }
    if (dialog.exec() != QDialog::Accepted)
        return preset;
    return dialog.textValue();
}

void QtDialogs::Error(const QString& text)
{
    Box box(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok);
    RunBox(box);
}

bool QtShell::ShellCopy(const QString& source, const QString& folder)
{
    return CopyIntoFolder(source, folder);
}

bool QtShell::OpenDocument(const QString& path)
{
    // The desktop launcher reports success even for a missing file; the shell would not.
    const QFileInfo document(path);
    if (!document.isFile())
        return false;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        // A relative path would become a relative URL that no launcher can resolve.
        return QDesktopServices::openUrl(QUrl::fromLocalFile(document.absoluteFilePath()));
    }
    // xdg-open answers at once, with a failure, when no program on the machine opens this kind of
    // file; that is the case the user must hear about. One that is still busy after a moment has
    // handed the file to its viewer and is left to it.
    auto* process = new QProcess;
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start(opener, {document.absoluteFilePath()});
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    if (!process->waitForFinished(m_openerAnswerMs))
        return true;
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

void QtPauser::Pause(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    for (qint64 left = milliseconds; left > 0; left = milliseconds - timer.elapsed()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, int(left));
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(left, 10)));
    }
}
