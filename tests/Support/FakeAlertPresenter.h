#pragma once

// A recording stand-in for the screen layer behind the global alert helpers.
// Screens are opaque handles made by makeScreen(); the fake answers the seam's
// questions from the links a test sets up and records every alert presented.
#include "App/AlertPresenting.h"

#include <QList>
#include <deque>
#include <map>
#include <memory>

namespace tarnik::testing {

class FakeAlertPresenter : public AlertPresenting
{
public:
    struct Alert
    {
        ViewController *presenter = nullptr;
        QString title;
        QString message;
        AlertAction action;
        AlertActionHandler handler;
    };

    enum class Kind { plain, tabBar, navigation };

    ViewController *makeScreen(Kind kind = Kind::plain)
    {
        m_nodes.emplace_back();
        Node &node = m_nodes.back();
        node.kind = kind;
        // The handle is the node's address; the fake never dereferences it as a screen.
        return reinterpret_cast<ViewController *>(&node);
    }
    void setRoot(ViewController *root) { m_root = root; }
    void setSelected(ViewController *tabBar, ViewController *selected) { node(tabBar).selected = selected; }
    void setPresented(ViewController *screen, ViewController *presented) { node(screen).presented = presented; }
    void setNavigationTop(ViewController *navigation, ViewController *top) { node(navigation).top = top; }
    void destroy(ViewController *screen) { node(screen).alive = false; }

    const QList<Alert> &alerts() const { return m_alerts; }

    ViewController *rootViewController() override { return m_root; }
    TabBarController *asTabBarController(ViewController *screen) override
    {
        return node(screen).kind == Kind::tabBar ? reinterpret_cast<TabBarController *>(screen) : nullptr;
    }
    ViewController *selectedViewController(TabBarController *tabBar) override
    {
        return node(reinterpret_cast<ViewController *>(tabBar)).selected;
    }
    ViewController *presentedViewController(ViewController *screen) override { return node(screen).presented; }
    ViewController *navigationTopViewController(ViewController *screen) override
    {
        const Node &n = node(screen);
        return n.kind == Kind::navigation ? n.top : nullptr;
    }
    std::function<ViewController *()> weakReference(ViewController *screen) override
    {
        return [this, screen]() -> ViewController * { return node(screen).alive ? screen : nullptr; };
    }
    void presentAlert(ViewController *presenter, const QString &title, const QString &message,
        const AlertAction &action, AlertActionHandler handler) override
    {
        m_alerts.append({ presenter, title, message, action, std::move(handler) });
    }

private:
    struct Node
    {
        Kind kind = Kind::plain;
        ViewController *selected = nullptr;
        ViewController *presented = nullptr;
        ViewController *top = nullptr;
        bool alive = true;
    };
    Node &node(ViewController *screen) { return *reinterpret_cast<Node *>(screen); }

    std::deque<Node> m_nodes; // a deque keeps the handles stable as screens are added
    ViewController *m_root = nullptr;
    QList<Alert> m_alerts;
};

} // namespace tarnik::testing
