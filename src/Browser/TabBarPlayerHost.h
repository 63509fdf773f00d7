#pragma once

#include "Browser/MiniPlayerHost.h"

#include <QPointer>

namespace tarnik {

class CustomTabBarController;

// The mini player host of the app: the root tab bar's mini player view. GUI thread only.
class TabBarPlayerHost : public MiniPlayerHost
{
public:
    explicit TabBarPlayerHost(CustomTabBarController *tabBarController);

    CustomTabBarController *tabBarController() const { return m_tabs; }

    bool isMiniPlayerUp() const override;
    void updateMiniPlayer(bool hide) override;
    void resetMiniPlayerTransform() override;
    DirectoryViewController *miniPlayerDelegate() const override;
    void setMiniPlayerDelegate(DirectoryViewController *level) override;
    void resetCurrentIndex() override;
    void play(const QList<std::shared_ptr<Entry>> &queue, int index) override;
    ViewController *fullPlayer() const override;
    QAbstractButton *fullPlayerShareButton() const override;
    std::shared_ptr<Entry> currentEntry() const override;

private:
    QPointer<CustomTabBarController> m_tabs;
};

} // namespace tarnik
