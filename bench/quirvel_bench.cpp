// SPDX-License-Identifier: GPL-3.0-or-later
// Times the picture paths of the real main window, the generation and the SCORM export against
// the plain tools doing the same file work in the same run: djpeg decoding the same file(s), cp
// copying the same six files. Ratios, not absolute times, are what carry from one machine to
// another.
//
//   quirvel_bench make-picture WIDTH HEIGHT OUT.ppm   a photo-like test picture (run.sh encodes it)
//   quirvel_bench convert IN OUT.jpg                  a picture of another kind made into the
//                                                     slot's JPEG (pictures.sh times it)
//   quirvel_bench run PICTURES_DIR DECOR_DIR HOSTILE_DIR [REPS]
//                                                     the table; PICTURES_DIR holds b2/p2/b12/p12/
//                                                     b24/p24.jpg (baseline/progressive,
//                                                     megapixels), HOSTILE_DIR the hostile corpus

#include "core/filecopy.h"
#include "core/generationcommand.h"
#include "core/quizsetup.h"
#include "core/services.h"
#include "core/startpage.h"
#include "export/quizexport.h"
#include "jpeg/pictureconversion.h"
#include "processmemory.h"
#include "ui/filelistbox.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{

// Answers nothing and shows nothing: the benchmark must not stop for a dialog.
class SilentDialogs : public IDialogs
{
public:
    int shown = 0;
    bool quiet = false; // refusals are expected from the hostile corpus
    void message(const QString& text) override { error(text); }
    // Only "view the page?" asks this, after every generation.
    bool confirm(const QString&) override { return false; }
    bool yesNo(const QString&, const QString& text, bool) override
    {
        std::fprintf(stderr, "question box, answered No: %s\n", qPrintable(text));
        return false;
    }
    std::optional<QString> input(const QString&, const QString&, const QString& preset) override
    {
        return preset;
    }
    void error(const QString& text) override
    {
        ++shown;
        if (!quiet)
            std::fprintf(stderr, "error box: %s\n", qPrintable(text));
    }
    std::optional<QString> chooseFolder(const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
};

class CopyShell : public IShell
{
public:
    std::error_code copyToNewFile(const QString& source, const QString& target) override;
    std::error_code renameFile(const QString& from, const QString& to) override
    {
        return ::renameFile(from, to);
    }
    std::error_code removeFile(const QString& path) override { return ::removeFile(path); }
    std::error_code syncToDisk(const QString& path) override
    {
        return syncing ? ::syncToDisk(path) : std::error_code();
    }
    void openDocument(const QString&, std::function<void()>) override {}
    bool syncing = true; // off: what the generation costs beside its syncs
};

class NoPauses : public IPauser
{
public:
    void pause(int) override {}
};

class PlainView : public IGenerationView
{
public:
    QString title = QStringLiteral("Замер");
    int position = 0;
    QString titleText() const override { return title; }
    void setTitleText(const QString& text) override { title = text; }
    void showStatus(const QString&) override {}
    int progressPosition() const override { return position; }
    void setProgressPosition(int p) override { position = p; }
    void showInfoWindow() override {}
};

} // namespace

std::error_code CopyShell::copyToNewFile(const QString& source, const QString& target)
{
    return ::copyToNewFile(source, target);
}

namespace
{

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double ms(const timeval& t)
{
    return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
}

// CPU time of the tools this process started and waited for.
double g_childCpuMs = 0;

double cpuMs()
{
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    return ms(self.ru_utime) + ms(self.ru_stime) + g_childCpuMs;
}

// Wall time and CPU time (user + system, ours plus the started tool's). CPU time is what the
// ratios use: on a shared machine it moves far less with other people's load than wall time.
struct Cost {
    double wall = 0;
    double cpu = 0;
};

template <class F> Cost measure(F&& f)
{
    QElapsedTimer t;
    const double cpu = cpuMs();
    t.start();
    f();
    return {double(t.nsecsElapsed()) / 1e6, cpuMs() - cpu};
}

// The median cost of reps runs of f after one warm-up; prepare runs untimed before each.
Cost median(int reps, const std::function<void()>& f, const std::function<void()>& prepare = {})
{
    if (prepare)
        prepare();
    f();
    std::vector<double> wall, cpu;
    for (int i = 0; i < reps; ++i) {
        if (prepare)
            prepare();
        const Cost c = measure(f);
        wall.push_back(c.wall);
        cpu.push_back(c.cpu);
    }
    return {median(wall), median(cpu)};
}

// A tool that fails is fatal, unless it was given a hostile file and may well refuse it; its
// complaints about such a file are not shown.
void spawn(const std::vector<std::string>& args, bool mayFail = false)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (mayFail)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(2);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    g_childCpuMs += ms(usage.ru_utime) + ms(usage.ru_stime);
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && !mayFail)) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(2);
    }
}

int makePicture(int width, int height, const char* out)
{
    // Gradients, a few soft waves and a little noise: compresses like a photograph, neither
    // like a flat test card nor like pure noise.
    std::FILE* f = std::fopen(out, "wb");
    if (!f)
        return 1;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    std::vector<unsigned char> row(size_t(width) * 3);
    unsigned seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) & 15) - 8;
            const int wave = int(40 * ((x / 37 + y / 53) % 7) / 7);
            const int r = x * 200 / width + wave + noise;
            const int g = y * 180 / height + ((x * y / 4096) & 31) + noise;
            const int b = 255 - (x + y) * 200 / (width + height) + wave / 2 + noise;
            row[size_t(x) * 3] = (unsigned char)std::clamp(r, 0, 255);
            row[size_t(x) * 3 + 1] = (unsigned char)std::clamp(g, 0, 255);
            row[size_t(x) * 3 + 2] = (unsigned char)std::clamp(b, 0, 255);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0 ? 0 : 1;
}

const char* verdict(double value, double goal)
{
    return value <= goal ? "ok" : "MISSED";
}

// The window's file list, found the way the tests find it: by its object name.
FileListBox& fileList(MainWindow& form)
{
    auto* list = form.findChild<FileListBox*>(QStringLiteral("fileList"));
    if (!list) {
        std::fprintf(stderr, "the window has no file list\n");
        std::exit(2);
    }
    return *list;
}

// Puts the file into the form's file list selection without running the handler.
void selectQuietly(MainWindow& form, const QString& name)
{
    const QSignalBlocker quiet(&fileList(form));
    const auto found = fileList(form).findItems(name, Qt::MatchExactly);
    if (found.size() != 1) {
        std::fprintf(stderr, "%s is not in the file list\n", qPrintable(name));
        std::exit(2);
    }
    fileList(form).setCurrentItem(found.first());
}

// Gives the file a new modification time, as a rewrite would, without touching its bytes.
void touch(const std::string& path)
{
    static long long tick = 1'000'000'000;
    const timespec times[2] = {{tick, 0}, {tick, 0}};
    ++tick;
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// The slowest file of the hostile corpus to choose, against djpeg on the same file: whatever the
// corpus holds, a choice must stay about as quick as the plain tool.
bool runHostile(MainWindow& form, SilentDialogs& dialogs, const QString& corpus, int reps)
{
    dialogs.quiet = true;
    fileList(form).setDirectory(corpus);
    QString worstFile;
    Cost worst;
    for (const QString& name : QDir(corpus).entryList({QStringLiteral("*.jpg")}, QDir::Files)) {
        form.chooseSlot(1);
        selectQuietly(form, name);
        const Cost choose = median(reps, [&] { form.choosePicture(fileList(form).fileName()); });
        if (choose.cpu > worst.cpu) {
            worst = choose;
            worstFile = name;
        }
    }
    if (worstFile.isEmpty()) {
        std::fprintf(stderr, "no pictures in %s\n", qPrintable(corpus));
        std::exit(2);
    }
    const std::string path = (corpus + QLatin1Char('/') + worstFile).toStdString();
    const Cost djpeg = median(reps, [&] { spawn({"djpeg", "-outfile", "/dev/null", path}, true); });
    const double ratio = worst.cpu / djpeg.cpu;
    const double goal = 1.15;
    auto cell = [](const Cost& c) {
        return QStringLiteral("%1 (%2)").arg(c.cpu, 0, 'f', 1).arg(c.wall, 0, 'f', 1);
    };
    std::printf("\n%-40s %16s %16s %6s %6s\n", "slowest hostile file to choose", "djpeg", "choose",
                "ratio", "goal");
    std::printf("%-40s %16s %16s %6.2f %6s\n", qPrintable(worstFile), qPrintable(cell(djpeg)),
                qPrintable(cell(worst)), ratio, verdict(ratio, goal));
    return ratio <= goal;
}

qint64 folderBytes(const QString& folder)
{
    qint64 total = 0;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files))
        total += f.size();
    return total;
}

// A SCORM export of six 24-MP baseline photos against six full djpeg decodes of them: the DCT
// scaling leaves mostly the entropy decoding, and the two cores share the six pictures.
bool runExport(const QString& pictures, const QString& decor, const QString& work, int reps)
{
    const QString quiz = work + QStringLiteral("/export-quiz");
    QDir().mkpath(quiz);
    QuizSetup setup;
    setup.title = QStringLiteral("Замер");
    for (int k = 1; k <= 6; ++k) {
        setup.slot(k).answer = QStringLiteral("Ответ %1").arg(k);
        QFile::copy(pictures + QStringLiteral("/b24.jpg"), quiz + QStringLiteral("/%1.jpg").arg(k));
    }
    writeStartPage(setup, AnswerOrder(), quiz);
    for (const QString& gif : QDir(decor).entryList({QStringLiteral("*.gif")}))
        QFile::copy(decor + QLatin1Char('/') + gif, quiz + QLatin1Char('/') + gif);
    const qint64 folder = folderBytes(quiz);
    const QString zip = work + QStringLiteral("/export.zip");

    const std::string photo = (pictures + QStringLiteral("/b24.jpg")).toStdString();
    const Cost djpeg = median(reps, [&] {
        for (int k = 0; k < 6; ++k)
            spawn({"djpeg", "-outfile", "/dev/null", photo});
    });
    const Cost scorm = median(reps, [&] { exportQuiz(QuizExport::Scorm, quiz, zip, decor); });
    const double cpu = scorm.cpu / djpeg.cpu, wall = scorm.wall / djpeg.wall;
    const double size = double(QFileInfo(zip).size()) / double(folder);
    auto cell = [](const Cost& c) {
        return QStringLiteral("%1 (%2)").arg(c.cpu, 0, 'f', 1).arg(c.wall, 0, 'f', 1);
    };
    std::printf("\n%-40s %16s %16s %6s %6s %6s %6s %6s %6s\n", "SCORM export", "6x djpeg", "export",
                "cpu", "goal", "wall", "goal", "size", "goal");
    std::printf("%-40s %16s %16s %6.2f %6s %6.2f %6s %6.3f %6s\n", "six 24-MP baseline photos",
                qPrintable(cell(djpeg)), qPrintable(cell(scorm)), cpu, verdict(cpu, 0.9), wall,
                verdict(wall, 0.55), size, verdict(size, 0.1));
    return cpu <= 0.9 && wall <= 0.55 && size <= 0.1;
}

int run(const QString& pictures, const QString& decor, const QString& hostile, int reps)
{
    const char* names[] = {"b2", "p2", "b12", "p12", "b24", "p24"};
    for (const char* n : names)
        if (!QFile::exists(pictures + QLatin1Char('/') + QLatin1String(n) + ".jpg")) {
            std::fprintf(stderr, "missing %s.jpg in %s\n", n, qPrintable(pictures));
            return 2;
        }

    QTemporaryDir work;
    const QString program = work.path() + QStringLiteral("/program/");
    QDir().mkpath(program);
    for (const QString& gif : QDir(decor).entryList({QStringLiteral("*.gif")}))
        QFile::copy(decor + QLatin1Char('/') + gif, program + gif);

    SilentDialogs dialogs;
    CopyShell shell;
    NoPauses pauser;
    Services services{dialogs, shell, pauser};
    MainWindow form(services, program);
    form.show();
    QApplication::processEvents();
    fileList(form).setDirectory(pictures);

    // Memory first, in a process that has not yet touched a big picture.
    std::printf("Peak memory while choosing a 24-MP picture (fresh process state):\n");
    const qint64 baselineKb = statusKb("VmRSS");
    struct MemoryRow {
        const char* name;
        qint64 peakKb;
    };
    std::vector<MemoryRow> memory;
    for (const char* n : {"b24", "p24"}) {
        selectQuietly(form, QLatin1String(n) + QStringLiteral(".jpg"));
        resetPeakMemory();
        form.choosePicture(fileList(form).fileName());
        memory.push_back({n, statusKb("VmHWM")});
    }
    const QSize big = QImageReader(pictures + QStringLiteral("/b24.jpg")).size();
    const double imageMb = double(big.width()) * big.height() * 3 / 1048576.0;
    const double baselineMb = double(baselineKb) / 1024;
    // The library's row buffers and the two small copies come on top of the image itself.
    const double allowanceMb = 4;
    std::printf("  baseline RSS %.1f MiB; one full-size decoded image %dx%d RGB = %.1f MiB\n",
                baselineMb, big.width(), big.height(), imageMb);
    for (const MemoryRow& m : memory) {
        const double over = double(m.peakKb) / 1024 - baselineMb;
        std::printf("  %-12s peak %.1f MiB = baseline + %.1f MiB (%.2f images)  goal <= baseline "
                    "+ 1 image (+%.0f MiB): %s\n",
                    m.name[0] == 'b' ? "baseline" : "progressive", double(m.peakKb) / 1024, over,
                    over / imageMb, allowanceMb, verdict(over, imageMb + allowanceMb));
    }

    // Six slots, each keeping its small copies of a 24-MP picture, and a round of switches
    // through them. Baseline files, whose decoding needs no buffer of the picture's size, so that
    // the peak shows what the slots keep: six copies of a full-size image would be 6 images.
    const double beforeSixMb = double(statusKb("VmRSS")) / 1024;
    resetPeakMemory();
    for (int k = 1; k <= 6; ++k) {
        form.chooseSlot(k);
        selectQuietly(form, QStringLiteral("b24.jpg"));
        form.choosePicture(fileList(form).fileName());
    }
    for (int k = 1; k <= 6; ++k)
        form.chooseSlot(k);
    const double keptOver = double(statusKb("VmHWM")) / 1024 - beforeSixMb;
    std::printf("  six kept slots (baseline) peak %.1f MiB = RSS before (%.1f MiB) + %.1f MiB "
                "(%.2f images)  goal <= RSS before + %.0f MiB: %s\n",
                beforeSixMb + keptOver, beforeSixMb, keptOver, keptOver / imageMb, allowanceMb,
                verdict(keptOver, allowanceMb));
    bool allOk = keptOver <= allowanceMb;

    std::printf("\nMedian of %d runs each, milliseconds of CPU time (wall time in brackets);\n"
                "ratio = QUIRVEL / djpeg on CPU time. Goals apply at 24 MP.\n",
                reps);
    std::printf("%-18s %16s %16s %6s %6s %16s %6s %6s %16s %6s %6s\n", "picture", "djpeg", "choose",
                "ratio", "goal", "switch, changed", "ratio", "goal", "switch, same", "ratio",
                "goal");
    auto cell = [](const Cost& c) {
        return QStringLiteral("%1 (%2)").arg(c.cpu, 0, 'f', 1).arg(c.wall, 0, 'f', 1);
    };
    for (const char* n : names) {
        const QString file = pictures + QLatin1Char('/') + QLatin1String(n) + ".jpg";
        const std::string path = file.toStdString();
        const QSize size = QImageReader(file).size();
        const Cost djpeg = median(reps, [&] { spawn({"djpeg", "-outfile", "/dev/null", path}); });

        // The choice of a picture: the file list's change handler on the current slot.
        form.chooseSlot(1);
        selectQuietly(form, QFileInfo(file).fileName());
        const Cost choose = median(reps, [&] { form.choosePicture(fileList(form).fileName()); });
        if (form.setup().slot(1).picturePath != file) {
            std::fprintf(stderr, "the choice did not take %s\n", qPrintable(file));
            return 2;
        }

        // The slot switch back to slot 1: with the file changed since (a new modification
        // time), it decodes the picture again; unchanged, it shows the kept copies. The switch
        // away to slot 2 before each run is not timed.
        const Cost switchChanged = median(
            reps, [&] { form.chooseSlot(1); },
            [&] {
                form.chooseSlot(2);
                touch(path);
            });
        const Cost switchSame = median(
            reps, [&] { form.chooseSlot(1); }, [&] { form.chooseSlot(2); });

        const bool goalApplies = QByteArray(n).endsWith("24");
        const double rc = choose.cpu / djpeg.cpu, rs = switchChanged.cpu / djpeg.cpu,
                     ru = switchSame.cpu / djpeg.cpu;
        if (goalApplies)
            allOk = allOk && rc <= 1.15 && rs <= 1.15 && ru <= 0.05;
        std::printf("%-18s %16s %16s %6.2f %6s %16s %6.2f %6s %16s %6.2f %6s\n",
                    qPrintable(QStringLiteral("%1 %2x%3")
                                   .arg(n[0] == 'b' ? "base" : "prog")
                                   .arg(size.width())
                                   .arg(size.height())),
                    qPrintable(cell(djpeg)), qPrintable(cell(choose)), rc,
                    goalApplies ? verdict(rc, 1.15) : "-", qPrintable(cell(switchChanged)), rs,
                    goalApplies ? verdict(rs, 1.15) : "-", qPrintable(cell(switchSame)), ru,
                    goalApplies ? verdict(ru, 0.05) : "-");
    }

    // The generation without its pauses against cp of the same six 24-MP files.
    std::vector<QString> six;
    QDir().mkpath(work.path() + QStringLiteral("/six"));
    for (int k = 1; k <= 6; ++k) {
        const QString copy = work.path() + QStringLiteral("/six/picture%1.jpg").arg(k);
        QFile::copy(pictures + (k % 2 ? QStringLiteral("/b24.jpg") : QStringLiteral("/p24.jpg")),
                    copy);
        six.push_back(copy);
    }
    QuizSetup& setup = form.setup();
    for (int k = 1; k <= 6; ++k) {
        setup.slot(k).picturePath = six[size_t(k - 1)];
        setup.slot(k).chosen = true;
        setup.slot(k).answer = QStringLiteral("Ответ %1").arg(k);
    }
    setup.folderName = QStringLiteral("bench");
    setup.firstGeneration = false;
    const QString quiz = setup.quizFolder();
    QDir().mkpath(quiz);
    const QString cpTarget = work.path() + QStringLiteral("/cp-target");
    QDir().mkpath(cpTarget);
    auto emptyFolder = [](const QString& folder) {
        for (const QString& f : QDir(folder).entryList(QDir::Files))
            QFile::remove(folder + QLatin1Char('/') + f);
    };

    std::vector<std::string> cpArgs{"cp"};
    // The peer that keeps its copies through a power cut too: each file's data, then the names.
    std::vector<std::string> syncFiles{"sync", "-d"};
    for (const QString& s : six) {
        cpArgs.push_back(s.toStdString());
        syncFiles.push_back((cpTarget + QLatin1Char('/') + QFileInfo(s).fileName()).toStdString());
    }
    cpArgs.push_back(cpTarget.toStdString());
    const std::vector<std::string> syncFolder{"sync", cpTarget.toStdString()};
    std::vector<double> cpWall, cpCpu, syncedWall, syncedCpu, genWall, genCpu, unsyncedCpu;
    PlainView view;
    const int before = dialogs.shown;
    for (int i = 0; i <= reps; ++i) {
        emptyFolder(cpTarget);
        emptyFolder(quiz);
        ::sync(); // neither starts with the other's writes still pending
        // A fresh command each round: one that remembers the page it wrote would ask before
        // replacing the page emptied meanwhile.
        GenerationCommand command(setup, view, services);
        const Cost cp = measure([&] { spawn(cpArgs); });
        const Cost synced = measure([&] {
            spawn(syncFiles);
            spawn(syncFolder);
        });
        const Cost gen = measure([&] { command.run(); });
        emptyFolder(quiz);
        ::sync();
        shell.syncing = false;
        GenerationCommand unsynced(setup, view, services);
        const Cost bare = measure([&] { unsynced.run(); });
        shell.syncing = true;
        if (i > 0) { // the first round only warms up
            unsyncedCpu.push_back(bare.cpu);
            cpWall.push_back(cp.wall);
            cpCpu.push_back(cp.cpu);
            syncedWall.push_back(cp.wall + synced.wall);
            syncedCpu.push_back(cp.cpu + synced.cpu);
            genWall.push_back(gen.wall);
            genCpu.push_back(gen.cpu);
        }
    }
    if (dialogs.shown != before || !QFile::exists(quiz + QStringLiteral("/6.jpg")) ||
        !QFile::exists(quiz + QStringLiteral("/start.htm"))) {
        std::fprintf(stderr, "the generation did not complete cleanly\n");
        return 2;
    }
    // The goals compare with cp once it syncs as well: fdatasync writes the data back in the
    // calling process, where cp alone leaves that work to the kernel's flusher threads, which no
    // process is charged for. The plain cp figure is shown beside it.
    const Cost cp{median(cpWall), median(cpCpu)}, gen{median(genWall), median(genCpu)};
    const Cost synced{median(syncedWall), median(syncedCpu)};
    const double rc = gen.cpu / cp.cpu, rg = gen.cpu / synced.cpu, rw = gen.wall / synced.wall;
    allOk = allOk && rg <= 1.1 && rw <= 1.2;
    std::printf("\n%-40s %16s %16s %6s %6s\n", "generation, pauses left out", "cp + sync",
                "QUIRVEL", "ratio", "goal");
    std::printf("%-40s %16s %16s %6.2f %6s\n", "six 24-MP pictures, page, decorations: CPU",
                qPrintable(cell(synced)), qPrintable(cell(gen)), rg, verdict(rg, 1.1));
    std::printf("%-40s %13.0f ms %13.0f ms %6.2f %6s\n", "  wall", synced.wall, gen.wall, rw,
                verdict(rw, 1.2));
    std::printf("%-40s %16s %16s %6.2f %6s\n", "  CPU against cp alone, unsynced",
                qPrintable(cell(cp)), qPrintable(cell(gen)), rc, "-");
    const double bare = median(unsyncedCpu);
    std::printf("%-40s %13.1f ms %13.1f ms %6.2f %6s\n", "  the same without its own syncs", cp.cpu,
                bare, bare / cp.cpu, "-");

    // A teacher's session: the same quiz generated again and again. Nothing may pile up: no
    // staging folder left behind, and the last generations as quick as the first.
    constexpr int Session = 50;
    std::vector<double> session;
    GenerationCommand again(setup, view, services);
    for (int i = 0; i < Session; ++i)
        session.push_back(measure([&] { again.run(); }).wall);
    const int left = int(QDir(quiz)
                             .entryList({QStringLiteral(".quirvel-*")},
                                        QDir::AllEntries | QDir::Hidden | QDir::System)
                             .size());
    const double first = median({session.begin(), session.begin() + 10}),
                 last = median({session.end() - 10, session.end()}), rs = last / first;
    allOk = allOk && dialogs.shown == before && left == 0 && rs <= 1.2;
    std::printf(
        "%-40s %13.0f ms %13.0f ms %6.2f %6s\n",
        qPrintable(
            QStringLiteral("%1 in a row: first 10, last 10 (%2 left)").arg(Session).arg(left)),
        first, last, rs, verdict(left == 0 && dialogs.shown == before ? rs : 99, 1.2));
    allOk = runExport(pictures, decor, work.path(), reps) && allOk;
    allOk = runHostile(form, dialogs, hostile, reps) && allOk;
    return allOk ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "make-picture")
        return makePicture(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
    if (argc == 4 && std::string(argv[1]) == "convert") {
        QGuiApplication app(argc, argv);
        QFile in(QString::fromLocal8Bit(argv[2])), out(QString::fromLocal8Bit(argv[3]));
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            return 2;
        return out.write(PictureConversion::toJpeg(in.readAll())) > 0 ? 0 : 1;
    }
    if (argc >= 5 && std::string(argv[1]) == "run") {
        QApplication app(argc, argv);
        return run(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                   QString::fromLocal8Bit(argv[4]), argc > 5 ? std::max(1, std::atoi(argv[5])) : 7);
    }
    std::fprintf(stderr, "usage: %s make-picture W H OUT.ppm | run PICTURES DECOR HOSTILE [REPS]\n",
                 argv[0]);
    return 2;
}
