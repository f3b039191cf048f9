// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>

// Numbers for names a teacher could not tell apart: equal after case folding, or look-alike
// ("Иванов" with a Latin "a"). Each such group numbers its pupils 1, 2 ... in join order, and a
// number is never given twice, not even after its pupil left.
class PupilNames
{
public:
    // What a name looks like, by ICU's spoof checker after case folding: look-alikes share it.
    static QString skeleton(const QString& name);
    // "Аня" for the only one of its group so far (or a pupil of a file without numbers), else
    // "Аня (2)".
    static QString shown(const QString& name, int number, bool groupShared);

    // The next number in the name's group.
    int take(const QString& name);
    // A number already given (an earlier table continued): later ones come after it.
    void reserve(const QString& name, int number);

private:
    QHash<QString, int> m_given;
};
