// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomtable.h"

#include <algorithm>

namespace
{

QByteArray csvCell(QString text)
{
    if (!text.isEmpty() && QStringLiteral("=+-@").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
               QLatin1Char('"');
    return text.toUtf8();
}

} // namespace

void ClassroomTable::add(const PupilResult& result)
{
    Row& row = m_rows[result.id];
    row.id = result.id;
    row.name = result.name;
    row.right = result.right;
    ++row.tries;
    row.lastTry = result.time;
}

QList<ClassroomTable::Row> ClassroomTable::rows() const
{
    QList<Row> rows = m_rows.values();
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        const int byName = QString::localeAwareCompare(a.name, b.name);
        return byName != 0 ? byName < 0 : a.id < b.id;
    });
    return rows;
}

QByteArray ClassroomTable::csv() const
{
    QByteArray out = "\xEF\xBB\xBF";
    out += "Имя;Правильных ответов (из 6);Попыток;Последняя попытка\r\n";
    for (const Row& row : rows()) {
        out += csvCell(row.name) + ';' + QByteArray::number(row.right) + ';' +
               QByteArray::number(row.tries) + ';' +
               csvCell(row.lastTry.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))) +
               "\r\n";
    }
    return out;
}
