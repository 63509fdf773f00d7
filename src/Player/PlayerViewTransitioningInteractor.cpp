#include "Player/PlayerViewTransitioningInteractor.h"

#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/FatalError.h"
#include "Player/CustomTabBarController.h"
#include "Player/PanDirectionGestureRecognizer.h"
#include "Player/PlayerView.h"
#include "Player/PlayerViewController.h"

#include <algorithm>

namespace tarnik {

PlayerViewTransitioningInteractor::PlayerViewTransitioningInteractor(
    ViewController *fromViewController, ViewController *toViewController, AnimatedTransitioningType type)
    : m_from(fromViewController)
    , m_to(toViewController)
    , m_type(type)
{
    QWidget *target = nullptr;
    if (type == AnimatedTransitioningType::dismissal) {
        if (auto *player = qobject_cast<PlayerViewController *>(fromViewController))
            target = player->view();
    } else {
        target = miniPlayerView();
    }
    if (target) {
        m_pan = new PanDirectionGestureRecognizer(
            PanDirection::vertical, [this](GestureRecognizer *g) { handlePanGesture(g); });
        // The full player's picture takes its own taps and swipes; a drag down over it still closes.
        m_pan->setIncludesSubviews(type == AnimatedTransitioningType::dismissal);
        m_pan->attach(target);
    }
}

PlayerViewTransitioningInteractor::~PlayerViewTransitioningInteractor()
{
    // The recogniser belongs to its view, which may outlive this interactor.
    if (m_pan)
        delete m_pan.data();
}

PlayerView *PlayerViewTransitioningInteractor::miniPlayerView() const
{
    ViewController *host = m_type == AnimatedTransitioningType::dismissal ? m_to.data() : m_from.data();
    if (auto *tabs = qobject_cast<CustomTabBarController *>(host))
        return tabs->miniPlayerView();
    return nullptr;
}

bool PlayerViewTransitioningInteractor::isInteracting() const
{
    return m_pan
        && (m_pan->state() == GestureRecognizer::State::began || m_pan->state() == GestureRecognizer::State::changed);
}

void PlayerViewTransitioningInteractor::handlePanGesture(GestureRecognizer *recognizer)
{
    auto *pan = qobject_cast<PanDirectionGestureRecognizer *>(recognizer);
    if (!pan || pan->direction != PanDirection::vertical || !pan->view() || !pan->view()->parentWidget())
        return;
    const double ty = pan->translation(pan->view()->parentWidget()).y();
    double distance = DeviceProfile::screenSize().height();
    if (PlayerView *mini = miniPlayerView()) {
        QWidget *window = mini->window();
        distance = mini->mapTo(window, QPoint(0, 0)).y();
    }
    double progress = 0.0;
    if (distance > 0.0)
        progress = m_type == AnimatedTransitioningType::dismissal ? ty / distance : ty / -distance;
    progress = std::clamp(progress, 0.0, 1.0);

    using State = GestureRecognizer::State;
    switch (pan->state()) {
    case State::began:
        // A pan that ends without moving must not finish or cancel by the
        // decision the previous pan left behind.
        m_shouldComplete = false;
        if (m_type == AnimatedTransitioningType::dismissal) {
            if (m_from)
                m_from->dismiss(true);
        } else {
            if (!m_to)
                fatalError(QStringLiteral("The full player is missing"));
            if (m_from)
                m_from->present(m_to, true);
        }
        break;
    case State::changed:
        if (!m_lastProgress)
            return;
        m_shouldComplete = progress >= *m_lastProgress && (progress > *m_lastProgress + 0.03 || progress > 0.3);
        updateInteractiveTransition(progress);
        break;
    case State::ended:
        if (m_shouldComplete) {
            finishInteractiveTransition();
        } else {
            updateInteractiveTransition(1.0);
            cancelInteractiveTransition();
        }
        break;
    case State::cancelled:
        updateInteractiveTransition(1.0);
        cancelInteractiveTransition();
        break;
    default:
        break;
    }
    m_lastProgress = progress;
}

} // namespace tarnik
