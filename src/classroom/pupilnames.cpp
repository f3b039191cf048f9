// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/pupilnames.h"

#include <unicode/uspoof.h>

#include <algorithm>

namespace
{

struct SpoofChecker {
    USpoofChecker* checker = nullptr;
    SpoofChecker()
    {
        UErrorCode status = U_ZERO_ERROR;
        checker = uspoof_open(&status);
        if (U_FAILURE(status))
            checker = nullptr;
    }
    ~SpoofChecker() { uspoof_close(checker); }
};

} // namespace

QString PupilNames::skeleton(const QString& name)
{
    // Opened once; getting a skeleton does not change the checker, so threads may share it.
    static const SpoofChecker spoof;
    const QString folded = name.toCaseFolded();
    if (!spoof.checker)
        return folded;
    static_assert(sizeof(UChar) == sizeof(char16_t));
    const auto* text = reinterpret_cast<const UChar*>(folded.utf16());
    QString out(folded.size() * 2 + 8, Qt::Uninitialized);
    for (int round = 0; round < 2; ++round) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length =
            uspoof_getSkeleton(spoof.checker, 0, text, int32_t(folded.size()),
                               reinterpret_cast<UChar*>(out.data()), int32_t(out.size()), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(length);
            continue;
        }
        if (U_FAILURE(status))
            return folded;
        out.resize(length);
        return out;
    }
    return folded;
}

QString PupilNames::shown(const QString& name, int number, bool groupShared)
{
    if (number == 0 || (number == 1 && !groupShared))
        return name;
    return QStringLiteral("%1 (%2)").arg(name).arg(number);
}

int PupilNames::take(const QString& name)
{
    return ++m_given[skeleton(name)];
}

void PupilNames::reserve(const QString& name, int number)
{
    int& given = m_given[skeleton(name)];
    given = std::max({given, number, 1});
}
