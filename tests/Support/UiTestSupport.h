#pragma once

// Helpers for tests of screens: a manual animation clock, a chosen device
// profile and a window that plays the screen.

#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/ViewController.h"
#include "Platform/UI/Window.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace tarnik::test {

// A screen that records its life-cycle calls as "name:event".
// (No Q_OBJECT: it needs no class name of its own.)
class RecordingViewController : public ViewController
{
public:
    explicit RecordingViewController(QString name = {}, QStringList *log = nullptr, QObject *parent = nullptr)
        : ViewController(parent)
        , m_name(std::move(name))
        , m_log(log)
    {
    }
    QSizeF lastTransitionSize;

protected:
    void viewDidLoad() override { record(QStringLiteral("load")); }
    void viewWillAppear(bool) override { record(QStringLiteral("willAppear")); }
    void viewDidAppear(bool) override { record(QStringLiteral("didAppear")); }
    void viewWillDisappear(bool) override { record(QStringLiteral("willDisappear")); }
    void viewDidDisappear(bool) override { record(QStringLiteral("didDisappear")); }
    void viewWillTransition(const QSizeF &size) override
    {
        lastTransitionSize = size;
        ViewController::viewWillTransition(size);
    }

private:
    void record(const QString &event)
    {
        if (m_log)
            m_log->append(m_name + QLatin1Char(':') + event);
    }
    QString m_name;
    QStringList *m_log;
};

// Manual clock, a phone or pad profile, and a shown 375 x 667 (phone) or
// 768 x 1024 (pad) window.
class ScreenTest : public ::testing::Test
{
protected:
    void SetUp() override { AnimationDriver::shared().setManual(true); }
    void TearDown() override
    {
        window.reset();
        AnimationDriver::shared().runUntilIdle(5.0);
        DeviceProfile::setOverride(std::nullopt);
    }
    Window *makeWindow(UserInterfaceIdiom idiom = UserInterfaceIdiom::phone)
    {
        const QSize size = idiom == UserInterfaceIdiom::pad ? QSize(768, 1024) : QSize(375, 667);
        DeviceProfile::setOverride(DeviceProfile::Override { idiom, QSizeF(size) });
        window = std::make_unique<Window>();
        window->resize(size);
        window->makeKeyAndVisible();
        return window.get();
    }
    static void advance(double seconds) { AnimationDriver::shared().advance(seconds); }
    static void settle() { AnimationDriver::shared().runUntilIdle(10.0); }

    std::unique_ptr<Window> window;
};

} // namespace tarnik::test
