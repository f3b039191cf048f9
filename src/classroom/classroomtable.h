// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/pupilresult.h"

#include <QByteArray>
#include <QHash>
#include <QList>

// What the teacher sees of a class: one row per pupil (by the pupil's id, so two pupils with the
// same name are two rows), with the last try's count of right answers.
class ClassroomTable
{
public:
    struct Row {
        QString id;
        QString name;
        int right = 0;
        int tries = 0;
        QDateTime lastTry;
    };

    void add(const PupilResult& result);
    // The rows sorted by name, then by id.
    QList<Row> rows() const;
    int size() const { return int(m_rows.size()); }
    // For a spreadsheet: UTF-8 with a BOM, ";" between cells; a cell that would start a formula
    // (=, +, -, @) gets a leading "'".
    QByteArray csv() const;

private:
    QHash<QString, Row> m_rows;
};
