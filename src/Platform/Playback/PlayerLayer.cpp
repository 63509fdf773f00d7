#include "Platform/Playback/PlayerLayer.h"

#include "Platform/Playback/PlatformPlayer.h"

#include <QPainter>
#include <QVideoSink>

namespace tarnik {

PlayerLayer::PlayerLayer(QWidget *parent)
    : QWidget(parent)
    , m_sink(new QVideoSink(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    connect(m_sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame &frame) {
        m_frame = frame;
        update();
    });
}

PlayerLayer::~PlayerLayer()
{
    setPlayer(nullptr);
}

void PlayerLayer::setPlayer(PlatformPlayer *player)
{
    if (player == m_player)
        return;
    if (m_player && m_player->videoOutput() == m_sink)
        m_player->setVideoOutput(nullptr);
    m_player = player;
    if (!player) {
        // Without a player the layer shows only its background, as a layer without a player does.
        m_frame = QVideoFrame();
        update();
        return;
    }
    player->setVideoOutput(m_sink);
}

void PlayerLayer::setBackgroundColor(const QColor &color)
{
    m_backgroundColor = color;
    update();
}

void PlayerLayer::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_backgroundColor.alpha() > 0)
        painter.fillRect(rect(), m_backgroundColor);
    if (!m_frame.isValid())
        return;
    const QImage image = m_frame.toImage();
    if (image.isNull())
        return;
    QSize fitted = image.size();
    fitted.scale(size(), Qt::KeepAspectRatio);
    QRect target(QPoint(), fitted);
    target.moveCenter(rect().center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
}

} // namespace tarnik
