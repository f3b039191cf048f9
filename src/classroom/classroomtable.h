// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/pupilresult.h"

#include <QByteArray>
#include <QHash>
#include <QList>

// What the teacher sees of a class: one row per pupil (by the pupil's id, so two pupils with the
// same name are two rows), with the last try's count of right answers. Pupils whose names look
// alike are shown with their numbers: "Аня (1)", "Аня (2)".
class ClassroomTable
{
public:
    struct Row {
        QString id;
        QString name; // as shown
        int number = 0;
        int right = 0;
        int tries = 0;
        QDateTime lastTry;
    };

    void add(const PupilResult& result);
    // The rows sorted by name, then by id.
    QList<Row> rows() const;
    int size() const { return int(m_rows.size()); }
    // For a spreadsheet: UTF-8 with a BOM, ";" between cells. Every cell that would start a
    // formula (=, +, -, @, tab, CR) gets a leading "'" first; then one holding ";", ",", a quote or
    // a line break is quoted (RFC 4180), so no reader that splits on either sees a formula.
    QByteArray csv() const;

private:
    QHash<QString, Row> m_rows;
};
