// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomtable.h"

#include "classroom/pupilnames.h"
#include "classroom/pupilpost.h"

#include <QRegularExpression>

#include <algorithm>

namespace
{

QByteArray csvCell(QString text)
{
    if (!text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    static const QRegularExpression needsQuotes(QStringLiteral("[;,\"\r\n]"));
    if (text.contains(needsQuotes))
        text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
               QLatin1Char('"');
    return text.toUtf8();
}

QString rightText(const PupilResult* result)
{
    return result ? QStringLiteral("%1 из 6").arg(result->right) : QString();
}

const QString Playing = QStringLiteral("играет");
const QString Sent = QStringLiteral("отправил");
const QString Hidden = QStringLiteral("свернул страницу");
const QString Lost = QStringLiteral("нет связи");

} // namespace

ClassroomTable::ClassroomTable(const AnswerOrder& order, QObject* parent)
    : QAbstractTableModel(parent), m_order(order)
{
}

void ClassroomTable::reset(const LessonRecord& lesson)
{
    beginResetModel();
    m_pupils.clear();
    m_rows.clear();
    m_alike.clear();
    for (const LessonPupil& pupil : lesson.pupils)
        if (!lesson.removed.contains(pupil.id))
            pupilFor(pupil.id, pupil.name, pupil.number);
    for (const PupilResult& result : lesson.results)
        if (!lesson.removed.contains(result.id))
            pupilFor(result.id, result.name, result.number).tries << result;
    for (Pupil& pupil : m_pupils)
        pupil.state = stateOf(pupil, 0);
    endResetModel();
}

int ClassroomTable::rowOf(const QString& id)
{
    return m_rows.value(id, -1);
}

// The pupil's row, made at the end when there is none yet.
ClassroomTable::Pupil& ClassroomTable::pupilFor(const QString& id, const QString& name, int number)
{
    if (const int row = rowOf(id); row >= 0)
        return m_pupils[row];
    Pupil pupil;
    pupil.id = id;
    pupil.name = name;
    pupil.number = number;
    pupil.skeleton = PupilNames::skeleton(name);
    m_rows.insert(id, int(m_pupils.size()));
    m_pupils << pupil;
    ++m_alike[pupil.skeleton];
    return m_pupils.back();
}

void ClassroomTable::join(const LessonPupil& pupil)
{
    if (rowOf(pupil.id) >= 0)
        return;
    const int row = int(m_pupils.size());
    beginInsertRows({}, row, row);
    Pupil& added = pupilFor(pupil.id, pupil.name, pupil.number);
    added.seenAt = QDateTime::currentMSecsSinceEpoch();
    added.state = Playing;
    endInsertRows();
    nameGroupsChanged();
}

void ClassroomTable::add(const PupilResult& result)
{
    if (rowOf(result.id) < 0) {
        const int row = int(m_pupils.size());
        beginInsertRows({}, row, row);
        pupilFor(result.id, result.name, result.number);
        endInsertRows();
        nameGroupsChanged();
    }
    const int row = rowOf(result.id);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    m_pupils[row].tries << result;
    m_pupils[row].seenAt = now;
    m_pupils[row].hidden = false;
    changed(row, now);
}

void ClassroomTable::seen(const QString& id, bool hidden, qint64 now)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    m_pupils[row].seenAt = now;
    m_pupils[row].hidden = hidden;
    changed(row, now);
}

void ClassroomTable::remove(const QString& id)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    --m_alike[m_pupils[row].skeleton];
    m_pupils.removeAt(row);
    m_rows.clear();
    for (int i = 0; i < m_pupils.size(); ++i)
        m_rows.insert(m_pupils[i].id, i);
    endRemoveRows();
    nameGroupsChanged();
}

void ClassroomTable::refreshStates(qint64 now)
{
    for (int row = 0; row < m_pupils.size(); ++row)
        if (stateOf(m_pupils[row], now) != m_pupils[row].state)
            changed(row, now);
}

void ClassroomTable::changed(int row, qint64 now)
{
    Pupil& pupil = m_pupils[row];
    pupil.state = stateOf(pupil, now);
    emit dataChanged(index(row, 0), index(row, Columns - 1));
}

void ClassroomTable::nameGroupsChanged()
{
    if (!m_pupils.isEmpty())
        emit dataChanged(index(0, Name), index(int(m_pupils.size()) - 1, Name));
}

QString ClassroomTable::stateOf(const Pupil& pupil, qint64 now) const
{
    if (pupil.hidden)
        return Hidden;
    if (!pupil.seenAt || now - pupil.seenAt > SilentMs)
        return Lost;
    return pupil.tries.isEmpty() ? Playing : Sent;
}

QString ClassroomTable::shownName(const Pupil& pupil) const
{
    return PupilNames::shown(pupil.name, pupil.number, m_alike.value(pupil.skeleton) > 1);
}

const PupilResult* ClassroomTable::best(const Pupil& pupil) const
{
    const PupilResult* found = nullptr;
    for (const PupilResult& result : pupil.tries)
        if (!found || result.right > found->right)
            found = &result;
    return found;
}

QStringList ClassroomTable::silentPupils() const
{
    QStringList ids;
    for (const Pupil& pupil : m_pupils)
        if (pupil.tries.isEmpty())
            ids << pupil.id;
    return ids;
}

QString ClassroomTable::idAt(int row) const
{
    return row >= 0 && row < m_pupils.size() ? m_pupils[row].id : QString();
}

int ClassroomTable::sent() const
{
    return int(std::count_if(m_pupils.cbegin(), m_pupils.cend(),
                             [](const Pupil& pupil) { return !pupil.tries.isEmpty(); }));
}

QStringList ClassroomTable::pictureCounts() const
{
    std::array<int, 7> right{};
    const int tried = sent();
    for (const Pupil& pupil : m_pupils) {
        if (pupil.tries.isEmpty())
            continue;
        const std::array<bool, 6> marks = markAnswers(answersOf(pupil.tries.front()), m_order);
        for (size_t i = 0; i < marks.size(); ++i)
            right[size_t(m_order.entries[i])] += marks[i];
    }
    QStringList lines;
    for (int k = 1; k <= 6; ++k)
        lines << QStringLiteral("Картинка %1: верно у %2 из %3")
                     .arg(k)
                     .arg(right[size_t(k)])
                     .arg(tried);
    return lines;
}

QList<ClassroomTable::Row> ClassroomTable::rows() const
{
    QList<Row> rows;
    for (const Pupil& pupil : m_pupils) {
        const PupilResult* top = best(pupil);
        rows << Row{pupil.id,
                    shownName(pupil),
                    pupil.number,
                    top ? top->right : 0,
                    int(pupil.tries.size()),
                    pupil.tries.isEmpty() ? QDateTime() : pupil.tries.back().time};
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        const int byName = QString::localeAwareCompare(a.name, b.name);
        return byName != 0 ? byName < 0 : a.id < b.id;
    });
    return rows;
}

QByteArray ClassroomTable::csv() const
{
    QByteArray out = "\xEF\xBB\xBF";
    const auto line = [&out](const QStringList& cells) {
        for (const QString& cell : cells)
            out += csvCell(cell) + ';';
        out.back() = '\r';
        out += '\n';
    };
    QStringList header{QStringLiteral("Имя"),
                       QStringLiteral("Правильных ответов (лучшая попытка)"),
                       QStringLiteral("Попыток"),
                       QStringLiteral("Последняя попытка"),
                       QStringLiteral("Состояние"),
                       QStringLiteral("Первая попытка"),
                       QStringLiteral("Последняя попытка, правильных")};
    for (int k = 1; k <= 6; ++k)
        header << QStringLiteral("Картинка %1: ответ").arg(k)
               << QStringLiteral("Картинка %1: верно").arg(k);
    line(header);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const Row& row : rows()) {
        const Pupil& pupil = m_pupils[m_rows.value(row.id)];
        const PupilResult* top = best(pupil);
        // ISO, which every spreadsheet reads as a date whatever its language.
        QStringList cells{
            row.name,
            QString::number(row.right),
            QString::number(row.tries),
            row.lastTry.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            stateOf(pupil, now),
            pupil.tries.isEmpty() ? QString() : QString::number(pupil.tries.front().right),
            pupil.tries.isEmpty() ? QString() : QString::number(pupil.tries.back().right)};
        const std::array<bool, 6> marks =
            top ? markAnswers(answersOf(*top), m_order) : std::array<bool, 6>{};
        for (int k = 1; k <= 6; ++k) {
            const int i = int(std::find(m_order.entries.cbegin(), m_order.entries.cend(), k) -
                              m_order.entries.cbegin());
            const QString given = top && i < top->answers.size() ? top->answers[i] : QString();
            cells << given
                  << (top ? (marks[size_t(i)] ? QStringLiteral("да") : QStringLiteral("нет"))
                          : QString());
        }
        line(cells);
    }
    return out;
}

int ClassroomTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_pupils.size());
}

int ClassroomTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant ClassroomTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_pupils.size() ||
        (role != Qt::DisplayRole && role != SortRole))
        return {};
    const Pupil& pupil = m_pupils[index.row()];
    const PupilResult* first = pupil.tries.isEmpty() ? nullptr : &pupil.tries.front();
    const PupilResult* last = pupil.tries.isEmpty() ? nullptr : &pupil.tries.back();
    const PupilResult* top = best(pupil);
    const bool sorting = role == SortRole;
    const auto right = [&](const PupilResult* result) -> QVariant {
        return sorting ? QVariant(result ? result->right : -1) : QVariant(rightText(result));
    };
    switch (index.column()) {
    case Name:
        return shownName(pupil);
    case State:
        return pupil.state;
    case First:
        return right(first);
    case Best:
        return right(top);
    case Last:
        return right(last);
    case Tries:
        return sorting ? QVariant(int(pupil.tries.size()))
                       : QVariant(QString::number(pupil.tries.size()));
    case LastTime: {
        if (!last)
            return sorting ? QVariant(QDateTime()) : QVariant(QString());
        if (sorting)
            return last->time;
        const QDateTime local = last->time.toLocalTime();
        return local.toString(local.date() == QDate::currentDate()
                                  ? QStringLiteral("HH:mm:ss")
                                  : QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    }
    default:
        return {};
    }
}

QVariant ClassroomTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList headers{QStringLiteral("Имя"),
                                     QStringLiteral("Состояние"),
                                     QStringLiteral("Первая попытка"),
                                     QStringLiteral("Лучшая"),
                                     QStringLiteral("Последняя"),
                                     QStringLiteral("Попыток"),
                                     QStringLiteral("Время последней попытки")};
    return headers.value(section);
}
