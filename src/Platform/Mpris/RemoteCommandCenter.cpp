#include "Platform/Mpris/RemoteCommandCenter.h"

namespace tarnik {

RemoteCommandCenter::RemoteCommandCenter(QObject *parent)
    : QObject(parent)
{
}

RemoteCommandCenter &RemoteCommandCenter::shared()
{
    static RemoteCommandCenter *center = new RemoteCommandCenter;
    return *center;
}

RemoteCommandCenter::Token RemoteCommandCenter::addTarget(Kind command, Handler handler)
{
    const Token token = m_nextToken++;
    m_targets.emplace(token, Target { command, std::move(handler) });
    return token;
}

void RemoteCommandCenter::removeTarget(Token token)
{
    m_targets.erase(token);
}

bool RemoteCommandCenter::hasTargets(Kind command) const
{
    for (const auto &[token, target] : m_targets) {
        if (target.command == command)
            return true;
    }
    return false;
}

RemoteCommandHandlerStatus RemoteCommandCenter::send(const RemoteCommandEvent &event)
{
    // Copy the handlers first: a handler may add or remove targets.
    std::vector<Handler> handlers;
    for (const auto &[token, target] : m_targets) {
        if (target.command == event.kind)
            handlers.push_back(target.handler);
    }
    // Success when any handler succeeded, else what the last one said.
    auto result = RemoteCommandHandlerStatus::commandFailed;
    bool succeeded = false;
    for (const auto &handler : handlers) {
        result = handler(event);
        succeeded = succeeded || result == RemoteCommandHandlerStatus::success;
    }
    return succeeded ? RemoteCommandHandlerStatus::success : result;
}

} // namespace tarnik
