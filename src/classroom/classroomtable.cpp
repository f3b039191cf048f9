// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomtable.h"

#include "classroom/pupilnames.h"

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

} // namespace

void ClassroomTable::add(const PupilResult& result)
{
    Row& row = m_rows[result.id];
    row.id = result.id;
    row.name = result.name;
    row.number = result.number;
    row.right = result.right;
    ++row.tries;
    row.lastTry = result.time;
}

QList<ClassroomTable::Row> ClassroomTable::rows() const
{
    QList<Row> rows = m_rows.values();
    QHash<QString, int> alike;
    for (const Row& row : rows)
        ++alike[PupilNames::skeleton(row.name)];
    for (Row& row : rows)
        row.name =
            PupilNames::shown(row.name, row.number, alike[PupilNames::skeleton(row.name)] > 1);
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
    line({QStringLiteral("Имя"), QStringLiteral("Правильных ответов (из 6)"),
          QStringLiteral("Попыток"), QStringLiteral("Последняя попытка")});
    for (const Row& row : rows())
        line({row.name, QString::number(row.right), QString::number(row.tries),
              row.lastTry.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))});
    return out;
}
