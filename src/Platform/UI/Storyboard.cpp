#include "Platform/UI/Storyboard.h"

#include <QHash>

namespace tarnik {

namespace {
struct Registry
{
    QHash<QString, QHash<QString, Storyboard::Factory>> factories;
    QHash<QString, QString> initial;
};

Registry &registry()
{
    static Registry r;
    return r;
}
} // namespace

Storyboard::Storyboard(const QString &name)
    : m_name(name)
{
}

void Storyboard::registerFactory(const QString &storyboard, const QString &identifier, Factory factory)
{
    registry().factories[storyboard].insert(identifier, std::move(factory));
}

void Storyboard::unregisterFactory(const QString &storyboard, const QString &identifier)
{
    registry().factories[storyboard].remove(identifier);
}

void Storyboard::setInitialIdentifier(const QString &storyboard, const QString &identifier)
{
    registry().initial.insert(storyboard, identifier);
}

bool Storyboard::contains(const QString &identifier) const
{
    return registry().factories.value(m_name).contains(identifier);
}

ViewController *Storyboard::instantiateViewController(const QString &identifier) const
{
    const Factory factory = registry().factories.value(m_name).value(identifier);
    if (!factory)
        fatalError(QStringLiteral("Storyboard (") + m_name
            + QStringLiteral(") doesn't contain a view controller with identifier '") + identifier
            + QStringLiteral("'"));
    ViewController *vc = factory();
    if (!vc)
        fatalError(QStringLiteral("Storyboard (") + m_name + QStringLiteral(") made no view controller for '")
            + identifier + QStringLiteral("'"));
    return vc;
}

ViewController *Storyboard::instantiateInitialViewController() const
{
    const QString identifier = registry().initial.value(m_name);
    return identifier.isEmpty() ? nullptr : instantiateViewController(identifier);
}

} // namespace tarnik
