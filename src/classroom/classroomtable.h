// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/lessonrecord.h"
#include "classroom/pupilresult.h"
#include "core/answerorder.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>

// What the teacher sees of a lesson: one row per pupil from the join on (by the pupil's id, so two
// pupils with the same name are two rows), in join order, so that a view's selection stays on its
// pupil as rows come. Pupils whose names look alike are shown with their numbers: "Аня (1)",
// "Аня (2)". The pupil's state comes from the page's reports; times are in ms since the epoch.
class ClassroomTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Name, State, First, Best, Last, Tries, LastTime, Columns };
    // Numbers and times to sort by, where the shown text would sort wrongly.
    static constexpr int SortRole = Qt::UserRole;
    // Nothing from an open page for this long is a lost connection.
    static constexpr qint64 SilentMs = 30 * 1000;

    struct Row {
        QString id;
        QString name; // as shown
        int number = 0;
        int right = 0; // the best try's
        int tries = 0;
        QDateTime lastTry;
    };

    explicit ClassroomTable(const AnswerOrder& order = {}, QObject* parent = nullptr);
    // Starts over with a lesson's pupils and results.
    void reset(const LessonRecord& lesson);
    void join(const LessonPupil& pupil);
    void add(const PupilResult& result);
    void seen(const QString& id, bool hidden, qint64 now);
    void remove(const QString& id);
    // Looks at the states again, which change with time alone.
    void refreshStates(qint64 now);
    // The ids of pupils who joined and sent nothing.
    QStringList silentPupils() const;
    QString idAt(int row) const;

    // Joined pupils, and of them those who sent a check.
    int joined() const { return int(m_pupils.size()); }
    int sent() const;
    // Per picture, on first tries: "Картинка 3: верно у 12 из 30".
    QStringList pictureCounts() const;

    // The rows sorted by name, then by id.
    QList<Row> rows() const;
    // For a spreadsheet: UTF-8 with a BOM, ";" between cells, every pupil who joined with the best
    // try's answers per picture. Every cell that would start a formula (=, +, -, @, tab, CR) gets a
    // leading "'" first; then one holding ";", ",", a quote or a line break is quoted (RFC 4180),
    // so no reader that splits on either sees a formula.
    QByteArray csv() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Pupil {
        QString id;
        QString name;
        int number = 0;
        // The name's look-alike key, worked out once: the view asks for names at every sort.
        QString skeleton;
        QList<PupilResult> tries;
        qint64 seenAt = 0;
        bool hidden = false;
        QString state;
    };
    int rowOf(const QString& id);
    Pupil& pupilFor(const QString& id, const QString& name, int number);
    QString shownName(const Pupil& pupil) const;
    QString stateOf(const Pupil& pupil, qint64 now) const;
    const PupilResult* best(const Pupil& pupil) const;
    void changed(int row, qint64 now);
    void nameGroupsChanged();

    AnswerOrder m_order;
    QList<Pupil> m_pupils;
    QHash<QString, int> m_rows;
    QHash<QString, int> m_alike; // pupils per name skeleton
};
