// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomcommand.h"

#include "classroom/classroom.h"
#include "classroom/classroomaddresses.h"
#include "core/commandline.h"
#include "core/programplaces.h"
#include "core/quirvelerror.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

void printLine(const QByteArray& line, std::FILE* to)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), to);
    std::fputc('\n', to);
    std::fflush(to);
}

int run(const CommandLine& line)
{
    const auto& room = line.classroom;
    Classroom::Options options;
    options.port = quint16(room.port);
    options.limits = {room.resultsPerPupil, room.joinsPerAddress, room.pupils,
                      room.pupilsPerAddress};
    options.newLesson = room.newLesson;
    if (!room.address.isEmpty() && !options.address.setAddress(room.address))
        throw QuirvelError(QStringLiteral("Неверный адрес: %1.").arg(room.address));
    const QString supplied =
        resolveProgramPlaces(QCoreApplication::applicationDirPath()).suppliedFolder;
    Classroom classroom(line.quizFolder, supplied);
    QObject::connect(&classroom, &Classroom::resultTaken,
                     [](const PupilResult& result) { printLine(result.jsonLine(), stdout); });
    QObject::connect(&classroom, &Classroom::journalFailed,
                     [](const QString& text) { printLine(text.toLocal8Bit(), stderr); });
    classroom.start(options);
    if (!classroom.journalProblem().isEmpty())
        printLine(classroom.journalProblem().toLocal8Bit(), stderr);
    QList<ClassroomAddresses::Address> addresses{{options.address, {}, {}}};
    if (room.address.isEmpty()) {
        addresses = ClassroomAddresses::live();
        if (addresses.isEmpty())
            printLine(QStringLiteral("У компьютера нет сетевого адреса: ученики не смогут "
                                     "подключиться.")
                          .toLocal8Bit(),
                      stderr);
    }
    // Standard output holds the bare addresses, for scripts; the network each is on goes beside
    // it to the terminal.
    for (const ClassroomAddresses::Address& address : addresses) {
        if (!address.interfaceName.isEmpty())
            printLine((address.network() + u':').toLocal8Bit(), stderr);
        printLine(classroom.url(address.address).toUtf8(), stdout);
    }
    // After the addresses, which a script reads from the first line on.
    printLine(QStringLiteral("%1 %2, номер урока: %3")
                  .arg(classroom.continued() ? QStringLiteral("Урок продолжается")
                                             : QStringLiteral("Новый урок"),
                       classroom.code(), classroom.number())
                  .toLocal8Bit(),
              stderr);

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        throw QuirvelError(QStringLiteral("Не удаётся подготовить остановку программы."));
    QSocketNotifier stopper(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopper, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QCoreApplication::exec();
    classroom.stop();
    if (!room.csvFile.isEmpty())
        classroom.saveResults(room.csvFile);
    return 0;
}

} // namespace

int runClassroomCommand(const CommandLine& line, int argc, char* argv[])
{
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) {
        // Qt's own event loop, not GLib's: with no window to share it with, the server answers
        // some 15 % more requests a second. (Set before the first thread starts, so all use it.)
        if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
            qputenv("QT_NO_GLIB", "1");
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    try {
        return run(line);
    } catch (const QuirvelError& e) {
        printLine(e.text().toLocal8Bit(), stderr);
    } catch (const std::exception& e) {
        printLine(internalError(e).toLocal8Bit(), stderr);
    }
    return 1;
}
