#pragma once

#include "Player/PlayerViewController.h"

#include <memory>
#include <optional>

namespace tarnik {

class Entry;

// A full player for one entry that borrows the shared player: when it comes
// on screen it saves what the shared player was doing (queue, position,
// delegate, playing state) and plays its entry from the start; closing it
// puts the saved state back, with the saved item current again, and
// dismisses it. No picture and no placeholder bar. GUI thread.
class StandalonePlayerViewController : public PlayerViewController
{
    Q_OBJECT
public:
    explicit StandalonePlayerViewController(QObject *parent = nullptr);
    ~StandalonePlayerViewController() override;

    // From the storyboard, with its entry set.
    static StandalonePlayerViewController *make(const std::shared_ptr<Entry> &entry);

    std::shared_ptr<Entry> entry;

    const std::optional<Player::EntryList> &savedQueue() const { return m_savedQueue; }
    std::optional<qint64> savedIndex() const { return m_savedIndex; }
    PlayerDelegate *savedDelegate() const;
    bool savedIsPlaying() const { return m_savedIsPlaying; }

    void closePlayerViewController();

protected:
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

private:
    void setUpView();
    void startPlayback(const std::shared_ptr<Entry> &entry);
    void restore();

    std::optional<Player::EntryList> m_savedQueue;
    std::optional<qint64> m_savedIndex;
    PlayerDelegate *m_savedDelegate = nullptr;
    QPointer<QObject> m_savedDelegateObject;
    bool m_savedDelegateIsObject = false;
    bool m_savedIsPlaying = false;
    bool m_hasSaved = false;
    bool m_viewSetUp = false;
};

} // namespace tarnik
