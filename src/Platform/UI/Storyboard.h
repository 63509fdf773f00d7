#pragma once

#include "Platform/UI/FatalError.h"
#include "Platform/UI/ViewController.h"

#include <QString>
#include <functional>
#include <type_traits>

namespace tarnik {

// Makes screens by identifier, the way a storyboard file does: each screen
// class is registered under its class name (or another identifier) with a
// factory, and one screen can be the storyboard's initial one. Registration
// is explicit (see the app's storyboard set-up): a static library drops
// self-registering objects nobody references. GUI thread only.
class Storyboard
{
public:
    using Factory = std::function<ViewController *()>;

    explicit Storyboard(const QString &name);
    QString name() const { return m_name; }

    static void registerFactory(const QString &storyboard, const QString &identifier, Factory factory);
    static void unregisterFactory(const QString &storyboard, const QString &identifier);
    static void setInitialIdentifier(const QString &storyboard, const QString &identifier);
    template<class T> static void registerClass(const QString &storyboard)
    {
        registerFactory(storyboard, classNameOf<T>(), [] { return new T; });
    }
    template<class T> static QString classNameOf()
    {
        QString name = QString::fromLatin1(T::staticMetaObject.className());
        const int colon = name.lastIndexOf(QLatin1Char(':'));
        return colon >= 0 ? name.mid(colon + 1) : name;
    }

    bool contains(const QString &identifier) const;
    // A new screen for the identifier; an unknown identifier stops the program.
    ViewController *instantiateViewController(const QString &identifier) const;
    ViewController *instantiateInitialViewController() const;

    // A new screen of class T; a screen of another class stops the program.
    template<class T> T *instantiate(const QString &identifier) const
    {
        ViewController *vc = instantiateViewController(identifier);
        if (auto *typed = qobject_cast<T *>(vc))
            return typed;
        delete vc;
        fatalError(wrongTypeMessage(classNameOf<T>(), identifier));
    }
    // A new screen of class T, or none when the identifier makes another class.
    template<class T> T *instantiateIfType(const QString &identifier) const
    {
        ViewController *vc = instantiateViewController(identifier);
        if (auto *typed = qobject_cast<T *>(vc))
            return typed;
        delete vc;
        return nullptr;
    }

private:
    QString m_name;
};

} // namespace tarnik
