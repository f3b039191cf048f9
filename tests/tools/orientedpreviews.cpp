// SPDX-License-Identifier: GPL-3.0-or-later
// orientedpreviews OUTDIR: writes a picture with corner marks (testjpeg.h's cornerMarks) under
// each Exif orientation tag 1 to 8, and under two tags that must draw as stored (9, out of range,
// and one cut inside its entry). Each is chosen in the real main window, on whatever platform Qt
// runs (offscreen in the tests), and what the preview box shows is saved as a PNG.
// Prints [{"name", "picture", "preview"}, ...] as JSON; any message the window shows is a failure.

#include "fakes.h"
#include "testjpeg.h"
#include "ui/filelistbox.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace
{

int fail(const QString& text)
{
    std::fprintf(stderr, "orientedpreviews: %s\n", qPrintable(text));
    return 2;
}

QByteArray exifFor(const QString& name)
{
    if (name == QLatin1String("cut"))
        return jpegSegment(0xE1, exifOrientationSegment(6).mid(4, 6 + 8 + 2 + 8));
    return exifOrientationSegment(name.mid(4).toInt());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return fail(QStringLiteral("usage: orientedpreviews OUTDIR"));
    const QDir out(app.arguments()[1]);
    if (!out.mkpath(QStringLiteral("pictures")))
        return fail(QStringLiteral("cannot create ") + out.filePath(QStringLiteral("pictures")));

    QStringList names;
    for (int tag = 1; tag <= 9; ++tag)
        names << QStringLiteral("tag-%1").arg(tag);
    names << QStringLiteral("cut");
    const QByteArray plain = encodeJpeg(cornerMarks(160, 100));
    for (const QString& name : names)
        if (!writeFile(out.filePath(QStringLiteral("pictures/%1.jpg").arg(name)),
                       withSegmentsAfterSoi(plain, exifFor(name))))
            return fail(QStringLiteral("cannot write ") + name);

    ScriptedDialogs dialogs;
    RecordingShell shell;
    CountingPauser pauser;
    Services services{dialogs, shell, pauser};
    MainWindow form(services, out.filePath(QStringLiteral("program")) + QLatin1Char('/'));
    form.show();
    auto* fileList = form.findChild<FileListBox*>(QStringLiteral("fileList"));
    auto* preview = form.findChild<PictureBox*>(QStringLiteral("preview"));
    if (!fileList || !preview)
        return fail(QStringLiteral("the window has no file list or no preview"));
    fileList->setDirectory(out.filePath(QStringLiteral("pictures")));

    QJsonArray result;
    for (const QString& name : names) {
        const auto found = fileList->findItems(name + QStringLiteral(".jpg"), Qt::MatchExactly);
        if (found.size() != 1)
            return fail(QStringLiteral("the file list does not show ") + name);
        form.chooseSlot(1);
        fileList->setCurrentItem(found.first());
        const QImage chosen = preview->grab().toImage();
        // The slot switch reloads the preview its own way; both must show the same.
        form.chooseSlot(2);
        form.chooseSlot(1);
        const QImage reloaded = preview->grab().toImage();
        if (!dialogs.log.isEmpty())
            return fail(QStringLiteral("the window showed ") + dialogs.log.join(QLatin1Char('\n')));
        if (chosen != reloaded)
            return fail(name +
                        QStringLiteral(": the reloaded preview differs from the chosen one"));
        const QString png = out.filePath(QStringLiteral("preview-%1.png").arg(name));
        if (!chosen.save(png))
            return fail(QStringLiteral("cannot write ") + png);
        result << QJsonObject{
            {QStringLiteral("name"), name},
            {QStringLiteral("picture"), out.filePath(QStringLiteral("pictures/%1.jpg").arg(name))},
            {QStringLiteral("preview"), png},
        };
    }
    std::fputs(QJsonDocument(result).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputc('\n', stdout);
    return 0;
}
