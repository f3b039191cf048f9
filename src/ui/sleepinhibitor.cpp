// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sleepinhibitor.h"

#include "config-quirvel.h"

#include <QDBusMessage>

#include <optional>
#include <utility>

namespace
{

const QString Program = QStringLiteral("QUIRVEL");
const QString SessionManager = QStringLiteral("org.gnome.SessionManager");
const QString SessionManagerPath = QStringLiteral("/org/gnome/SessionManager");
const QString PowerManagement = QStringLiteral("org.freedesktop.PowerManagement");
const QString PowerManagementPath = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
const QString PowerManagementInterface = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");
constexpr int AnswerMs = 500;
// The session manager's flags: suspending, and the session counting as idle.
constexpr uint SuspendAndIdle = 4 | 8;

QDBusMessage call(const QDBusConnection& bus, const QString& service, const QString& path,
                  const QString& interface, const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, AnswerMs);
}

// The first value of a reply, when the call succeeded and gave one of type T.
template <typename T> std::optional<T> answer(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty() ||
        reply.arguments().first().metaType() != QMetaType::fromType<T>())
        return std::nullopt;
    return reply.arguments().first().value<T>();
}

} // namespace

SleepInhibitor::SleepInhibitor(QDBusConnection session, QDBusConnection system)
    : m_session(std::move(session)), m_system(std::move(system))
{
}

SleepInhibitor::~SleepInhibitor()
{
    release();
}

bool SleepInhibitor::inhibit(const QString& reason)
{
    if (isHeld())
        return true;
    std::optional<uint> cookie = answer<uint>(call(
        m_session, SessionManager, SessionManagerPath, SessionManager, QStringLiteral("Inhibit"),
        {QStringLiteral(QUIRVEL_APP_ID), 0u, reason, SuspendAndIdle}));
    if (cookie) {
        m_way = Way::SessionManager;
        m_cookie = *cookie;
        return true;
    }
    cookie =
        answer<uint>(call(m_session, PowerManagement, PowerManagementPath, PowerManagementInterface,
                          QStringLiteral("Inhibit"), {Program, reason}));
    if (cookie) {
        m_way = Way::PowerManagement;
        m_cookie = *cookie;
        return true;
    }
    const auto lock = answer<QDBusUnixFileDescriptor>(
        call(m_system, QStringLiteral("org.freedesktop.login1"),
             QStringLiteral("/org/freedesktop/login1"),
             QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"),
             {QStringLiteral("sleep:idle"), Program, reason, QStringLiteral("block")}));
    if (lock && lock->isValid()) {
        m_way = Way::Logind;
        m_lock = *lock;
    }
    return isHeld();
}

void SleepInhibitor::release()
{
    if (m_way == Way::SessionManager)
        call(m_session, SessionManager, SessionManagerPath, SessionManager,
             QStringLiteral("Uninhibit"), {m_cookie});
    else if (m_way == Way::PowerManagement)
        call(m_session, PowerManagement, PowerManagementPath, PowerManagementInterface,
             QStringLiteral("UnInhibit"), {m_cookie});
    m_lock = QDBusUnixFileDescriptor();
    m_way = Way::None;
}
