// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/buildinfo.h"

#include "config-quirvel.h"

QString authorCredit()
{
    return QStringLiteral(QUIRVEL_AUTHOR_CREDIT);
}

QString siteUrl()
{
    return QStringLiteral(QUIRVEL_SITE_URL);
}

QString siteHost()
{
    return QStringLiteral(QUIRVEL_SITE_HOST);
}

QString programVersion()
{
    return QStringLiteral(QUIRVEL_VERSION);
}
