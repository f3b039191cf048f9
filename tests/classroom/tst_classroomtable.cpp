// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/classroomadmission.h"
#include "classroom/classroomtable.h"

#include <QtTest>

class TestClassroomTable : public QObject
{
    Q_OBJECT

private slots:
    // Names the teacher could not tell apart get their join numbers, in the table and the
    // spreadsheet; a name alone keeps its own. The numbers come from joining, so that a number is
    // never given twice.
    void lookAlikeNamesAreNumbered()
    {
        ClassroomAdmission admission({});
        ClassroomTable table;
        for (const QString name : {"Иванов", "Петров", "Ивaнов" /* Latin a */, "иванов"}) {
            PupilPost post;
            post.name = name;
            const auto joined = admission.join("127.0.0.1", post, 0);
            table.add({joined.id, joined.name, joined.number, 1, {}, QDateTime::currentDateTime()});
        }
        QStringList names;
        for (const auto& row : table.rows())
            names << row.name;
        names.sort();
        QCOMPARE(names, QStringList({"Ивaнов (2)", "Иванов (1)", "Петров", "иванов (3)"}));
        QVERIFY(table.csv().contains("\r\nИванов (1);1;1;"));
    }
    // Each cell is guarded against formulas first, then quoted where ";", ",", '"' or a line
    // break would split it.
    void csvCells_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("cell");
        QTest::newRow("comma") << "Ли, Аня" << QByteArray("\"Ли, Аня\"");
        QTest::newRow("formula") << "=1+2" << QByteArray("'=1+2");
        QTest::newRow("formula with comma")
            << "=HYPERLINK(\"x\",1)" << QByteArray("\"'=HYPERLINK(\"\"x\"\",1)\"");
        QTest::newRow("semicolon") << "@a;b" << QByteArray("\"'@a;b\"");
        QTest::newRow("plain") << "Аня" << QByteArray("Аня");
    }
    void csvCells()
    {
        QFETCH(QString, name);
        ClassroomTable table;
        table.add({"a", name, 1, 6, {}, QDateTime::currentDateTime()});
        QFETCH(QByteArray, cell);
        const QByteArray line = table.csv().split('\n').at(1);
        QVERIFY2(line.startsWith(cell + ";6;1;"), line.constData());
    }
};

QTEST_GUILESS_MAIN(TestClassroomTable)
#include "tst_classroomtable.moc"
