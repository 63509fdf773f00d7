#include "Player/StandalonePlayerViewController.h"

#include "App/MainStoryboard.h"
#include "Entries/Entry.h"
#include "Platform/UI/FatalError.h"
#include "Platform/UI/Storyboard.h"

#include <QToolButton>

namespace tarnik {

StandalonePlayerViewController::StandalonePlayerViewController(QObject *parent)
    : PlayerViewController(parent)
{
}

StandalonePlayerViewController::~StandalonePlayerViewController() = default;

StandalonePlayerViewController *StandalonePlayerViewController::make(const std::shared_ptr<Entry> &entry)
{
    const Storyboard storyboard(MainStoryboard::kName);
    auto *screen
        = storyboard.instantiate<StandalonePlayerViewController>(QStringLiteral("StandalonePlayerViewController"));
    screen->entry = entry;
    return screen;
}

PlayerDelegate *StandalonePlayerViewController::savedDelegate() const
{
    if (m_savedDelegateIsObject && !m_savedDelegateObject)
        return nullptr;
    return m_savedDelegate;
}

void StandalonePlayerViewController::viewDidLoad()
{
    PlayerViewController::viewDidLoad();
    setModalPresentationStyle(ModalPresentationStyle::overFullScreen);
    modalTransitionStyle = ModalTransitionStyle::coverVertical;
}

void StandalonePlayerViewController::viewWillAppear(bool animated)
{
    PlayerViewController::viewWillAppear(animated);
    setUpView();
    if (entry)
        startPlayback(entry);
}

void StandalonePlayerViewController::setUpView()
{
    if (m_viewSetUp)
        return;
    m_viewSetUp = true;
    if (!fakeMiniPlayer())
        fatalError(QStringLiteral("The full player has no placeholder bar"));
    fakeMiniPlayer()->hide();
    PlayerView *view = playerView();
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, Qt::white);
    view->setPalette(palette);
    // One entry, no picture of its video.
    view->removePlayerLayer();
    connect(
        view->closeButton(), &QToolButton::clicked, this, &StandalonePlayerViewController::closePlayerViewController);
}

void StandalonePlayerViewController::startPlayback(const std::shared_ptr<Entry> &target)
{
    Player &player = Player::shared();
    // What the shared player did before this screen first showed is what
    // closing gives back; a later reappearance must not save this screen's
    // own entry over it.
    if (!m_hasSaved && player.queue()) {
        m_savedQueue = player.queue();
        m_savedDelegate = player.delegate();
        m_savedDelegateObject = dynamic_cast<QObject *>(m_savedDelegate);
        m_savedDelegateIsObject = !m_savedDelegateObject.isNull();
        m_savedIndex = player.currentIndex();
        m_savedIsPlaying = player.isPlaying();
    }
    m_hasSaved = true;
    if (player.queue()) {
        player.pause();
        player.setCurrentIndex(-1);
    }
    QPointer<StandalonePlayerViewController> self(this);
    bool started = false;
    const auto play = [self, target, &started] {
        started = true;
        if (!self)
            return;
        Player &shared = Player::shared();
        shared.setQueue(Player::EntryList { target });
        shared.setDelegate(self->playerView());
        shared.play(0, false);
    };
    target->updateMetadata([play](const std::shared_ptr<Entry> &) { play(); });
    // An entry whose metadata is being loaded elsewhere never calls back:
    // play it anyway, the player view shows its metadata once it arrives.
    if (!started && target->state() == UpdateState::updating)
        play();
}

void StandalonePlayerViewController::restore()
{
    Player &player = Player::shared();
    player.pause();
    if (!m_savedQueue || !m_savedIndex)
        return;
    player.setQueue(m_savedQueue);
    PlayerDelegate *delegate = savedDelegate();
    player.setDelegate(delegate);
    const qint64 index = *m_savedIndex;
    const bool inside = index >= 0 && index < player.playerItems().size();
    if (m_savedIsPlaying && inside) {
        // -1 first: the saved item loads again even when its index is the
        // stand-alone entry's (0), so the saved entry is current again.
        player.setCurrentIndex(-1);
        player.play(index, false);
        return;
    }
    if (inside) {
        // Paused: the saved item is loaded again and stays paused, so the
        // saved entry is current and shown again.
        player.setCurrentIndex(-1);
        player.play(index, false);
    }
    player.pause();
    player.setCurrentIndex(index);
}

void StandalonePlayerViewController::closePlayerViewController()
{
    restore();
    dismiss(true);
}

} // namespace tarnik
