#include "core/buildinfo.h"

QString AuthorCredit()
{
    return QStringLiteral(QUIRVEL_AUTHOR_CREDIT);
}

QString SiteUrl()
{
    return QStringLiteral(QUIRVEL_SITE_URL);
}

QString SiteHost()
{
    return QStringLiteral(QUIRVEL_SITE_HOST);
}
