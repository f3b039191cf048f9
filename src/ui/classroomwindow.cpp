// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/classroomwindow.h"

#include "classroom/resultsjournal.h"
#include "core/idialogs.h"
#include "core/quirvelerror.h"
#include "ui/namedcombobox.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTableWidget>
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
      m_addresses(new NamedComboBox), m_qrCode(new QLabel), m_advice(new QLabel),
      m_table(new QTableWidget(0, 4)),
      m_save(new QPushButton(QStringLiteral("&Сохранить результаты…"))),
      m_stop(new QPushButton(QStringLiteral("&Остановить")))
{
    setWindowTitle(Caption);
    setObjectName(QStringLiteral("classroomWindow"));
    m_addresses->setObjectName(QStringLiteral("addresses"));
    m_qrCode->setObjectName(QStringLiteral("qrCode"));
    m_advice->setObjectName(QStringLiteral("advice"));
    m_table->setObjectName(QStringLiteral("results"));
    m_save->setObjectName(QStringLiteral("saveResults"));
    m_stop->setObjectName(QStringLiteral("stop"));
    m_addresses->setAccessibleName(QStringLiteral("Адрес для учеников"));
    m_qrCode->setAccessibleName(QStringLiteral("QR-код адреса"));
    m_table->setAccessibleName(QStringLiteral("Результаты учеников"));
    m_advice->setWordWrap(true);
    m_qrCode->setAlignment(Qt::AlignCenter);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Имя"), QStringLiteral("Правильных"),
                                        QStringLiteral("Попыток"),
                                        QStringLiteral("Последняя попытка")});
    // The names take what the headers leave, so that no header is cut off.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Tab leaves the table for the buttons; the arrow keys move within it.
    m_table->setTabKeyNavigation(false);

    auto* addressLabel = new QLabel(QStringLiteral("&Адрес для учеников:"));
    addressLabel->setBuddy(m_addresses);
    auto* left = new QVBoxLayout;
    left->addWidget(addressLabel);
    left->addWidget(m_addresses);
    left->addWidget(m_qrCode);
    left->addWidget(m_advice);
    left->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_stop);
    auto* tableLabel = new QLabel(QStringLiteral("&Результаты учеников:"));
    tableLabel->setBuddy(m_table);
    auto* right = new QVBoxLayout;
    right->addWidget(tableLabel);
    right->addWidget(m_table);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    resize(1000, 600);
    setTabOrder(m_addresses, m_table);
    setTabOrder(m_table, m_save);
    setTabOrder(m_save, m_stop);
    m_addressCheck.setInterval(AddressCheckMs);
    connect(&m_addressCheck, &QTimer::timeout, this, &ClassroomWindow::listAddresses);

    connect(m_addresses, &QComboBox::currentIndexChanged, this, &ClassroomWindow::showAddress);
    connect(m_save, &QPushButton::clicked, this, &ClassroomWindow::saveResults);
    connect(m_stop, &QPushButton::clicked, this, &ClassroomWindow::stop);
}

ClassroomWindow::~ClassroomWindow() = default;

bool ClassroomWindow::start(const QString& quizFolder, const QString& suppliedFolder,
                            const Classroom::Options& options)
{
    try {
        auto classroom = std::make_unique<Classroom>(quizFolder, suppliedFolder);
        const QDate today = QDate::currentDate();
        const QString latest = ResultsJournal::latestPath(quizFolder, today);
        QString journal = ResultsJournal::newPath(quizFolder, today);
        QList<PupilResult> earlier;
        if (!latest.isEmpty() &&
            m_dialogs.yesNo(Caption, QStringLiteral("Сегодня эту викторину уже проводили в классе. "
                                                    "Продолжить ту же таблицу результатов?"))) {
            journal = latest;
            earlier = ResultsJournal::read(latest);
        }
        classroom->start(options, journal, earlier);
        m_classroom = std::move(classroom);
    } catch (const QuirvelError& e) {
        m_dialogs.error(e.text());
        return false;
    }
    connect(m_classroom.get(), &Classroom::resultTaken, this, [this] {
        m_unsaved = true;
        refreshTable();
    });
    connect(m_classroom.get(), &Classroom::journalFailed, this,
            [this](const QString& text) { m_dialogs.error(text); });
    m_listening = options.address;
    m_urls.reset();
    listAddresses();
    if (m_listening == QHostAddress(QHostAddress::AnyIPv4))
        m_addressCheck.start();
    refreshTable();
    m_stop->setEnabled(true);
    if (!m_classroom->journalProblem().isEmpty())
        m_dialogs.error(m_classroom->journalProblem());
    return true;
}

void ClassroomWindow::listAddresses()
{
    const QList<ClassroomAddresses::Address> addresses =
        m_listening == QHostAddress(QHostAddress::AnyIPv4)
            ? m_addressSource()
            : QList<ClassroomAddresses::Address>{{m_listening, {}, {}}};
    // "Wi-Fi (wlp2s0): http://…", so that the teacher knows which network each one is on.
    QStringList urls;
    QStringList texts;
    for (const ClassroomAddresses::Address& address : addresses) {
        urls << m_classroom->url(address.address);
        texts << (address.interfaceName.isEmpty() ? urls.last()
                                                  : address.network() + ": " + urls.last());
    }
    if (texts == m_urls)
        return;
    m_urls = texts;
    // The one the teacher chose stays while it is there; else the default route's.
    const QString chosen = selectedUrl();
    const QSignalBlocker quiet(m_addresses);
    m_addresses->clear();
    for (qsizetype i = 0; i < urls.size(); ++i)
        m_addresses->addItem(texts[i], urls[i]);
    m_addresses->setCurrentIndex(std::max(0, int(urls.indexOf(chosen))));
    m_advice->setText(urls.isEmpty() ? NoAddress : isolationAdvice(m_classroom->port()));
    showAddress();
}

QString ClassroomWindow::selectedUrl() const
{
    return m_addresses->currentData().toString();
}

void ClassroomWindow::showAddress()
{
    const QString url = selectedUrl();
    m_qrCode->setPixmap(url.isEmpty() ? QPixmap() : QPixmap::fromImage(qrCodeImage(url)));
}

void ClassroomWindow::refreshTable()
{
    const QList<ClassroomTable::Row> rows =
        m_classroom ? m_classroom->table().rows() : QList<ClassroomTable::Row>();
    m_table->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const ClassroomTable::Row& row = rows[i];
        // Items hold plain text: a name is never read as markup.
        const QStringList cells{row.name, QStringLiteral("%1 из 6").arg(row.right),
                                QString::number(row.tries),
                                row.lastTry.toLocalTime().toString(QStringLiteral("HH:mm:ss"))};
        for (int column = 0; column < 4; ++column)
            m_table->setItem(i, column, new QTableWidgetItem(cells[column]));
    }
}

void ClassroomWindow::saveResults()
{
    if (!m_classroom)
        return;
    const QString proposed =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/') +
        QFileInfo(m_classroom->journalPath()).completeBaseName() + QStringLiteral(".csv");
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
    event->accept();
}
