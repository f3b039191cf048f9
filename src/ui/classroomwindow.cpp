// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/classroomwindow.h"

#include "classroom/resultsjournal.h"
#include "core/idialogs.h"
#include "core/quirvelerror.h"
#include "ui/namedcombobox.h"
#include "ui/sleepinhibitor.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTreeView>
#include <QVBoxLayout>

#include <qrencode.h>

#include <algorithm>

namespace
{

const QString Caption = QStringLiteral("Викторина в классе");
const QString NoAddress = QStringLiteral("У компьютера нет сетевого адреса: подключите его к "
                                         "школьной сети, в которой работают ученики.");
// How often the addresses are looked at again, for Wi-Fi that connects after the start.
constexpr int AddressCheckMs = 3000;
// The pupils' states change with time alone ("нет связи" after 30 s).
constexpr int StateCheckMs = 5000;

const QString NobodyAdvice =
    QStringLiteral("За минуту не подключился ни один ученик. Так бывает, когда:\n"
                   "• школьный Wi-Fi держит устройства порознь («изоляция клиентов»);\n"
                   "• телефоны в гостевой сети, а компьютер — в другой;\n"
                   "• брандмауэр этого компьютера закрыл порт %1;\n"
                   "• телефон ходит в интернет через мобильную сеть, а не через Wi-Fi.");

constexpr int NetworkRole = Qt::UserRole + 1;

// Where the network the teacher chose is kept for the next lesson.
QString networkFile()
{
    return ResultsJournal::folder() + QStringLiteral("/network");
}

QString rememberedNetwork()
{
    QFile file(networkFile());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

// "123456" as "123 456", easier to read out and to type.
QString spacedNumber(const QString& number)
{
    return number.left(3) + QLatin1Char(' ') + number.mid(3);
}

QString isolationAdvice(quint16 port)
{
    return QStringLiteral(
               "Ученики открывают этот адрес в браузере телефона или компьютера в той же сети. "
               "Если адрес не открывается, школьный Wi-Fi, скорее всего, держит устройства "
               "порознь («изоляция клиентов»): попросите администратора разрешить в этой сети "
               "соединения с компьютером учителя по порту %1.")
        .arg(port);
}

} // namespace

QImage qrCodeImage(const QString& text, int minSide)
{
    QRcode* code = QRcode_encodeString(text.toUtf8().constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return {};
    const int modules = code->width + 8;
    const int scale = (minSide + modules - 1) / modules;
    QImage image(modules * scale, modules * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                painter.fillRect((x + 4) * scale, (y + 4) * scale, scale, scale, Qt::black);
    QRcode_free(code);
    return image;
}

ClassroomWindow::ClassroomWindow(IDialogs& dialogs, QWidget* parent, AddressSource addresses)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs), m_addressSource(std::move(addresses)),
      m_addresses(new NamedComboBox), m_qrCode(new QLabel), m_number(new QLabel),
      m_advice(new QLabel), m_counts(new QLabel), m_pictures(new QLabel), m_awake(new QLabel),
      m_table(new QTreeView), m_sorted(new QSortFilterProxyModel(this)),
      m_newLesson(new QPushButton(QStringLiteral("&Новый урок"))),
      m_save(new QPushButton(QStringLiteral("&Сохранить результаты…"))),
      m_stop(new QPushButton(QStringLiteral("&Остановить")))
{
    setWindowTitle(Caption);
    setObjectName(QStringLiteral("classroomWindow"));
    buildLayout();
    m_addressCheck.setInterval(AddressCheckMs);
    connect(&m_addressCheck, &QTimer::timeout, this, &ClassroomWindow::listAddresses);
    m_stateCheck.setInterval(StateCheckMs);
    connect(&m_stateCheck, &QTimer::timeout, this, [this] {
        if (m_classroom)
            m_classroom->table().refreshStates(QDateTime::currentMSecsSinceEpoch());
    });
    m_nobody.setSingleShot(true);
    m_nobody.setInterval(NobodyMs);
    connect(&m_nobody, &QTimer::timeout, this, [this] {
        if (m_classroom && m_classroom->table().joined() == 0)
            m_advice->setText(NobodyAdvice.arg(m_classroom->port()));
    });
    connect(m_addresses, &QComboBox::currentIndexChanged, this, &ClassroomWindow::showAddress);
    connect(m_addresses, &QComboBox::activated, this, [this](int index) {
        const QString network = m_addresses->itemData(index, NetworkRole).toString();
        if (network.isEmpty())
            return;
        // Not worth a box when it fails: the next lesson just offers the default route again.
        QDir().mkpath(QFileInfo(networkFile()).absolutePath());
        QSaveFile file(networkFile());
        if (file.open(QIODevice::WriteOnly) && file.write(network.toUtf8()) > 0)
            file.commit();
    });
    connect(m_newLesson, &QPushButton::clicked, this, &ClassroomWindow::newLesson);
    connect(m_save, &QPushButton::clicked, this, &ClassroomWindow::saveResults);
    connect(m_stop, &QPushButton::clicked, this, &ClassroomWindow::stop);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);
}

ClassroomWindow::~ClassroomWindow() = default;

void ClassroomWindow::buildLayout()
{
    m_addresses->setObjectName(QStringLiteral("addresses"));
    m_qrCode->setObjectName(QStringLiteral("qrCode"));
    m_number->setObjectName(QStringLiteral("number"));
    m_advice->setObjectName(QStringLiteral("advice"));
    m_counts->setObjectName(QStringLiteral("counts"));
    m_pictures->setObjectName(QStringLiteral("pictures"));
    m_table->setObjectName(QStringLiteral("results"));
    m_newLesson->setObjectName(QStringLiteral("newLesson"));
    m_save->setObjectName(QStringLiteral("saveResults"));
    m_stop->setObjectName(QStringLiteral("stop"));
    m_addresses->setAccessibleName(QStringLiteral("Адрес для учеников"));
    m_qrCode->setAccessibleName(QStringLiteral("QR-код адреса"));
    m_table->setAccessibleName(QStringLiteral("Результаты учеников"));
    m_awake->setObjectName(QStringLiteral("awake"));
    for (QLabel* label : {m_advice, m_pictures, m_awake})
        label->setWordWrap(true);
    m_qrCode->setAlignment(Qt::AlignCenter);
    QFont big = m_number->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    m_number->setFont(big);
    m_number->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_sorted->setSortRole(ClassroomTable::SortRole);
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);
    // The names take what the headers leave, so that no header is cut off.
    m_table->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->header()->setStretchLastSection(false);
    m_table->setRootIsDecorated(false);
    m_table->setItemsExpandable(false);
    m_table->setUniformRowHeights(true);
    m_table->setAllColumnsShowFocus(true);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* removeOne = new QAction(QStringLiteral("Удалить ученика"), m_table);
    removeOne->setObjectName(QStringLiteral("removePupil"));
    auto* removeSilent =
        new QAction(QStringLiteral("Удалить всех, кто ничего не отправил"), m_table);
    removeSilent->setObjectName(QStringLiteral("removeSilent"));
    m_table->addActions({removeOne, removeSilent});
    connect(removeOne, &QAction::triggered, this, &ClassroomWindow::removeSelected);
    connect(removeSilent, &QAction::triggered, this, &ClassroomWindow::removeSilent);
    // Tab leaves the table for the buttons; the arrow keys move within it.
    m_table->setTabKeyNavigation(false);

    auto* addressLabel = new QLabel(QStringLiteral("&Адрес для учеников:"));
    addressLabel->setBuddy(m_addresses);
    auto* left = new QVBoxLayout;
    left->addWidget(addressLabel);
    left->addWidget(m_addresses);
    left->addWidget(m_qrCode);
    left->addWidget(m_number);
    left->addWidget(m_advice);
    left->addWidget(m_awake);
    left->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_newLesson);
    buttons->addWidget(m_save);
    buttons->addWidget(m_stop);
    auto* tableLabel = new QLabel(QStringLiteral("&Результаты учеников:"));
    tableLabel->setBuddy(m_table);
    auto* right = new QVBoxLayout;
    right->addWidget(tableLabel);
    right->addWidget(m_counts);
    right->addWidget(m_table);
    right->addWidget(m_pictures);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    resize(1100, 650);
    setTabOrder(m_addresses, m_table);
    setTabOrder(m_table, m_newLesson);
    setTabOrder(m_newLesson, m_save);
    setTabOrder(m_save, m_stop);
}

bool ClassroomWindow::start(const QString& quizFolder, const QString& suppliedFolder,
                            const Classroom::Options& options)
{
    try {
        auto classroom = std::make_unique<Classroom>(quizFolder, suppliedFolder);
        classroom->start(options);
        m_classroom = std::move(classroom);
    } catch (const QuirvelError& e) {
        m_dialogs.error(e.text());
        return false;
    }
    m_options = options;
    m_options.newLesson = false;
    ClassroomTable& table = m_classroom->table();
    m_sorted->setSourceModel(&table);
    m_table->header()->setSectionResizeMode(ClassroomTable::Name, QHeaderView::Stretch);
    connect(m_classroom.get(), &Classroom::resultTaken, this, [this] { m_unsaved = true; });
    connect(&table, &QAbstractItemModel::rowsInserted, this, &ClassroomWindow::showCounts);
    connect(&table, &QAbstractItemModel::rowsRemoved, this, &ClassroomWindow::showCounts);
    connect(&table, &QAbstractItemModel::dataChanged, this, &ClassroomWindow::showCounts);
    connect(&table, &QAbstractItemModel::modelReset, this, &ClassroomWindow::showCounts);
    connect(m_classroom.get(), &Classroom::journalFailed, this,
            [this](const QString& text) { m_dialogs.error(text); });
    connect(m_classroom.get(), &Classroom::addressFull, this, &ClassroomWindow::offerMorePlaces);
    if (m_options.address == QHostAddress(QHostAddress::AnyIPv4))
        m_addressCheck.start();
    m_stateCheck.start();
    lessonStarted();
    if (!m_sleep)
        m_sleep = std::make_unique<SleepInhibitor>();
    m_awake->setText(m_sleep->inhibit()
                         ? QStringLiteral("Пока идёт урок, компьютер не уйдёт в спящий режим.")
                         : QStringLiteral("Не удалось запретить компьютеру уходить в спящий "
                                          "режим: на время урока отключите его в настройках "
                                          "питания."));
    m_newLesson->setEnabled(true);
    m_stop->setEnabled(true);
    reportJournalProblem();
    return true;
}

void ClassroomWindow::lessonStarted()
{
    m_urls.reset();
    listAddresses();
    if (m_classroom->table().joined() == 0)
        m_nobody.start();
    showCounts();
}

void ClassroomWindow::reportJournalProblem()
{
    if (!m_classroom->journalProblem().isEmpty())
        m_dialogs.error(m_classroom->journalProblem());
}
void ClassroomWindow::listAddresses()
{
    const QList<ClassroomAddresses::Address> addresses =
        m_options.address == QHostAddress(QHostAddress::AnyIPv4)
            ? m_addressSource()
            : QList<ClassroomAddresses::Address>{{m_options.address, {}, {}}};
    // "Wi-Fi (wlp2s0): http://…", so that the teacher knows which network each one is on.
    QStringList urls;
    QStringList texts;
    for (const ClassroomAddresses::Address& address : addresses) {
        urls << m_classroom->url(address.address);
        texts << address.label(urls.last());
    }
    if (texts == m_urls)
        return;
    m_urls = texts;
    // The one the teacher chose stays while it is there; else the network chosen last time;
    // else the default route's.
    int chosen = int(urls.indexOf(selectedUrl()));
    const QString remembered = rememberedNetwork();
    for (qsizetype i = 0; chosen < 0 && i < addresses.size(); ++i)
        if (!remembered.isEmpty() && addresses[i].interfaceName == remembered)
            chosen = int(i);
    const QSignalBlocker quiet(m_addresses);
    m_addresses->clear();
    for (qsizetype i = 0; i < urls.size(); ++i) {
        m_addresses->addItem(texts[i], urls[i]);
        m_addresses->setItemData(int(i), addresses[i].interfaceName, NetworkRole);
    }
    m_addresses->setCurrentIndex(std::max(0, chosen));
    showAddress();
}

void ClassroomWindow::showCounts()
{
    if (!m_classroom)
        return;
    const ClassroomTable& table = m_classroom->table();
    m_counts->setText(
        QStringLiteral("Подключились: %1 · Отправили: %2").arg(table.joined()).arg(table.sent()));
    m_pictures->setText(QStringLiteral("Верно по первой попытке: ") +
                        table.pictureCounts().join(QStringLiteral("; ")) + QLatin1Char('.'));
    if (table.joined() > 0)
        m_nobody.stop();
}

void ClassroomWindow::removeSelected()
{
    if (!m_classroom)
        return;
    QStringList ids;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        ids << m_classroom->table().idAt(m_sorted->mapToSource(index).row());
    if (ids.isEmpty() ||
        !m_dialogs.yesNo(Caption,
                         QStringLiteral("Удалить ученика из таблицы? Его место в классе "
                                        "освободится, а его страница попросит ввести "
                                        "имя заново."),
                         false))
        return;
    m_classroom->removePupils(ids);
}

void ClassroomWindow::removeSilent()
{
    if (!m_classroom)
        return;
    const QStringList ids = m_classroom->table().silentPupils();
    if (ids.isEmpty() ||
        !m_dialogs.yesNo(Caption,
                         QStringLiteral("Удалить всех, кто ничего не отправил (%1)? Их места в "
                                        "классе освободятся.")
                             .arg(ids.size()),
                         false))
        return;
    m_classroom->removePupils(ids);
}

void ClassroomWindow::offerMorePlaces(const QString& address, int pupils)
{
    if (!m_classroom || pupils != m_classroom->pupilsPerAddress())
        return;
    if (m_dialogs.yesNo(Caption, QStringLiteral("С адреса %1 в классе уже %2 учеников — больше с "
                                                "одного адреса нельзя. Если это компьютерный "
                                                "класс, который выходит в сеть через один адрес, "
                                                "разрешить с него до %3 учеников?")
                                     .arg(address)
                                     .arg(pupils)
                                     .arg(pupils * 2)))
        m_classroom->setPupilsPerAddress(pupils * 2);
}

void ClassroomWindow::newLesson()
{
    if (!m_classroom ||
        !m_dialogs.yesNo(Caption,
                         QStringLiteral("Начать новый урок с новым кодом и пустой таблицей? "
                                        "Ученикам, которые играют сейчас, придётся отсканировать "
                                        "новый код. Результаты этого урока останутся в его "
                                        "файле."),
                         false))
        return;
    if (m_unsaved && !m_dialogs.yesNo(Caption,
                                      QStringLiteral("Результаты этого урока не сохранены в "
                                                     "таблицу. Всё равно начать новый урок?"),
                                      false))
        return;
    Classroom::Options options = m_options;
    options.newLesson = true;
    guarded(m_dialogs, [&] {
        m_classroom->start(options);
        m_unsaved = false;
        lessonStarted();
        reportJournalProblem();
    });
}

QString ClassroomWindow::selectedUrl() const
{
    return m_addresses->currentData().toString();
}

void ClassroomWindow::showAddress()
{
    const QString url = selectedUrl();
    m_qrCode->setPixmap(url.isEmpty() ? QPixmap() : QPixmap::fromImage(qrCodeImage(url)));
    // The short way in, for a pupil without a camera: the address without the code, then the
    // number.
    const QString shortUrl = url.left(url.size() - m_classroom->code().size() - 1);
    m_number->setText(
        url.isEmpty() ? QString()
                      : QStringLiteral("Номер урока: %1").arg(spacedNumber(m_classroom->number())));
    m_number->setToolTip(shortUrl);
    const QString withoutCode =
        QStringLiteral("Без QR-кода: откройте %1 и введите номер урока.").arg(shortUrl);
    m_number->setAccessibleDescription(withoutCode);
    m_advice->setText(url.isEmpty() ? NoAddress
                                    : isolationAdvice(m_classroom->port()) +
                                          QStringLiteral("\n\n") + withoutCode);
}

void ClassroomWindow::saveResults()
{
    if (!m_classroom)
        return;
    // The quiz's title leads, so that a folder of lessons reads as such.
    QString title = m_classroom->title();
    for (QChar& c : title)
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    const QString proposed = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                             QLatin1Char('/') + title.trimmed() + QStringLiteral(" — ") +
                             QFileInfo(m_classroom->journalPath()).completeBaseName() +
                             QStringLiteral(".csv");
    const auto file = m_dialogs.saveFile(QStringLiteral("Сохранить результаты"), proposed,
                                         QStringLiteral("Таблица CSV (*.csv)"));
    if (!file)
        return;
    guarded(m_dialogs, [&] {
        m_classroom->saveResults(*file);
        m_unsaved = false;
    });
}

void ClassroomWindow::stop()
{
    m_addressCheck.stop();
    m_stateCheck.stop();
    m_nobody.stop();
    if (m_sleep)
        m_sleep->release();
    m_awake->clear();
    m_newLesson->setEnabled(false);
    if (m_classroom)
        m_classroom->stop();
    m_stop->setEnabled(false);
    m_urls.reset();
    m_addresses->clear();
    m_advice->setText(QStringLiteral("Викторина остановлена: ученики больше не могут отправлять "
                                     "результаты."));
}

void ClassroomWindow::closeEvent(QCloseEvent* event)
{
    if (m_unsaved && !m_dialogs.yesNo(Caption,
                                      QStringLiteral("Результаты не сохранены. Закрыть окно и "
                                                     "остановить викторину?"),
                                      false)) {
        event->ignore();
        return;
    }
    stop();
    // A closed window tells a screen reader of no cell still in focus.
    m_table->clearSelection();
    m_sorted->setSourceModel(nullptr);
    event->accept();
}
