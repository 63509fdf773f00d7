#pragma once

#include "Controls/ImageView.h"
#include "Platform/UI/AnimationDriver.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <optional>

namespace tarnik {

class Sector;

// The activity indicator of the overlays: a ring of `numberofSectors` arcs at
// low opacity with a brighter pulse travelling round it (every sector runs
// the same opacity cycle, started `duration / n` after its neighbour), or, in
// picture mode, a sequence of pictures played in an image view. Nothing runs
// until build(); a changed field shows at the next build(). All motion runs
// on the AnimationDriver. GUI thread only.
class SpinnerView : public QWidget
{
    Q_OBJECT
public:
    enum class AnimationType { clockwise, anticlockwise };

    explicit SpinnerView(QWidget *parent = nullptr);
    explicit SpinnerView(const QRect &frame, QWidget *parent = nullptr);
    // Picture mode with the given pictures, zero frame.
    explicit SpinnerView(const std::optional<QList<QImage>> &animationImages, QWidget *parent = nullptr);
    ~SpinnerView() override;

    QColor sectorColor = Qt::black;
    // Sectors in the ring; a negative count draws none, as zero does.
    int numberofSectors = 8;
    double spacing = 0.08; // radians taken off the end of every sector
    double lineWidth = 2.5;
    double duration = 1.0; // seconds for one turn of the pulse
    AnimationType animationType = AnimationType::clockwise;
    bool useAnimationImages = false;
    std::optional<QList<QImage>> animationImages;

    // The sector layers of the current build; none before the first.
    std::optional<QList<Sector *>> shapes() const { return m_shapes; }
    ImageView *imageView() const { return m_imageView; }

    // Takes down what an earlier build made, then builds and starts the
    // spinner for the current size and fields.
    void build();
    // Attaches the staggered pulse to the given sectors (build() calls it).
    void startAnimating(double cycle, const QList<Sector *> &layers, AnimationType type);
    // Removes the sectors and their animations and stops and removes the
    // picture view. Nothing happens before any build.
    void stopAnimating();
    // Whether a build is running (sectors or pictures).
    bool isRunning() const;

    // The z order the spinner asks for among its siblings (1000 once built).
    double zPosition() const { return m_zPosition; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<QList<Sector *>> m_shapes;
    QPointer<ImageView> m_imageView;
    QList<AnimationDriver::Id> m_pendingStarts;
    double m_zPosition = 0.0;
};

} // namespace tarnik
