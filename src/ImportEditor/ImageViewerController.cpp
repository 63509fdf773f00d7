#include "ImportEditor/ImageViewerController.h"

#include "App/Globals.h"
#include "Controls/ImageView.h"
#include "Entries/EntryImages.h"
#include "ImportEditor/ImageViewerControllerDelegate.h"
#include "ImportEditor/ImageViewerTransitioningHandler.h"
#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/GestureRecognizer.h"

#include <QIcon>
#include <QPixmap>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

constexpr int kButtonSide = 44;
constexpr int kButtonMargin = 12;
constexpr double kVelocityWindow = 0.1;

QToolButton *makeButton(QWidget *parent, const QString &objectName, const QString &iconName, const QString &name)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setIcon(QIcon(QPixmap::fromImage(EntryImages::named(iconName, 56))));
    button->setIconSize(QSize(28, 28));
    button->setFixedSize(kButtonSide, kButtonSide);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setAccessibleName(name);
    button->setToolTip(name);
    button->setStyleSheet(
        QStringLiteral("QToolButton { background: rgba(0, 0, 0, 110); border: none; border-radius: 22px; }"
                       "QToolButton:pressed { background: rgba(255, 255, 255, 60); }"));
    return button;
}

} // namespace

ImageViewerController::ImageViewerController(ImageView *sourceImageView, const QImage &image, QObject *parent)
    : ViewController(parent)
    , m_sourceImageView(sourceImageView)
    , m_image(image)
{
    loadViewIfNeeded();
    setModalPresentationStyle(ModalPresentationStyle::overFullScreen);
    modalTransitionStyle = ModalTransitionStyle::crossDissolve;
}

ImageViewerController::ImageViewerController(QObject *parent)
    : ViewController(parent)
{
    setModalPresentationStyle(ModalPresentationStyle::overFullScreen);
    modalTransitionStyle = ModalTransitionStyle::crossDissolve;
}

void ImageViewerController::setSourceImageView(ImageView *sourceImageView)
{
    if (!isViewLoaded())
        m_sourceImageView = sourceImageView;
}

void ImageViewerController::setImage(const QImage &image)
{
    if (!isViewLoaded())
        m_image = image;
}

ImageViewerController::~ImageViewerController()
{
    if (m_scrollView)
        m_scrollView->setDelegate(nullptr);
}

ImageViewerControllerDelegate *ImageViewerController::delegate() const
{
    if (m_delegateIsObject && !m_delegateObject)
        return nullptr;
    return m_delegate;
}

void ImageViewerController::setDelegate(ImageViewerControllerDelegate *delegate)
{
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject *>(delegate);
    m_delegateIsObject = !m_delegateObject.isNull();
    if (isViewLoaded() && m_selectButton)
        m_selectButton->setVisible(delegate && !m_image.isNull());
}

void ImageViewerController::loadView()
{
    auto *root = new QWidget;
    root->setObjectName(QStringLiteral("ImageViewerController"));
    root->setAutoFillBackground(true);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, Qt::black);
    root->setPalette(palette);
    m_scrollView = new ScrollView(root);
    m_scrollView->setObjectName(QStringLiteral("ImageViewerScroll"));
    m_scrollView->setAccessibleName(_localizedString(QStringLiteral("Picture")));
    m_closeButton = makeButton(root, QStringLiteral("ImageViewerClose"), QStringLiteral("viewerClose"),
        _localizedString(QStringLiteral("Close")));
    m_selectButton = makeButton(root, QStringLiteral("ImageViewerSelect"), QStringLiteral("viewerSelect"),
        _localizedString(QStringLiteral("Select")));
    m_selectButton->setVisible(false);
    connect(m_closeButton, &QAbstractButton::clicked, this, &ImageViewerController::closeButtonTapped);
    connect(m_selectButton, &QAbstractButton::clicked, this, &ImageViewerController::selectButtonTapped);
    setView(root);
}

void ImageViewerController::viewDidLoad()
{
    m_imageView = new ImageView(m_scrollView);
    m_imageView->setObjectName(QStringLiteral("ImageViewerImage"));
    m_imageView->setContentMode(ImageView::ContentMode::scaleToFill);
    m_imageView->setAttribute(Qt::WA_TransparentForMouseEvents);
    QImage shown = m_image;
    if (shown.isNull() && m_sourceImageView)
        shown = m_sourceImageView->image();
    m_imageView->setImage(shown);
    m_imageView->sizeToFit();
    m_imageView->show();
    m_scrollView->setContentFrame(m_imageView, QRectF(QPointF(0, 0), m_imageView->imageSize()));
    m_scrollView->setContentSize(m_imageView->imageSize());

    m_scrollView->setDelegate(this);
    m_scrollView->decelerationRate = ScrollView::kDecelerationRateFast;
    m_scrollView->setMaximumZoomScale(4.0);

    m_doubleTap = new TapGestureRecognizer([this](GestureRecognizer *r) { handleTapGesture(r); });
    m_doubleTap->numberOfTapsRequired = 2;
    m_doubleTap->attach(m_scrollView);

    m_pan = new PanGestureRecognizer([this](GestureRecognizer *r) { handlePanGesture(r); });
    m_pan->shouldBegin = [this](GestureRecognizer *) { return gestureShouldBegin(); };
    m_pan->attach(m_scrollView);

    if (m_sourceImageView) {
        m_transitioningHandler = std::make_shared<ImageViewerTransitioningHandler>(m_sourceImageView, m_imageView);
        setTransitioningDelegate(std::weak_ptr<ViewControllerTransitioningDelegate>(m_transitioningHandler));
    }

    if (delegate() && !m_image.isNull())
        m_selectButton->setVisible(true);
}

double ImageViewerController::fittingScale() const
{
    if (!m_scrollView || !m_imageView)
        return 1.0;
    const QSizeF picture = m_imageView->imageSize();
    if (picture.width() <= 0 || picture.height() <= 0)
        return 1.0;
    return std::min(m_scrollView->width() / picture.width(), m_scrollView->height() / picture.height());
}

void ImageViewerController::viewWillLayoutSubviews()
{
    if (!m_scrollView)
        return;
    const QSizeF content = m_scrollView->contentSize();
    const QPointF offset = m_scrollView->contentOffset();
    const double spanX = content.width() - m_scrollView->width();
    const double spanY = content.height() - m_scrollView->height();
    const double x = spanX != 0.0 ? offset.x() / spanX : 0.0;
    const double y = spanY != 0.0 ? offset.y() / spanY : 0.0;
    m_currentOffsetPercentage = QPointF(std::clamp(x, 0.0, 1.0), std::clamp(y, 0.0, 1.0));
    if (m_scrollView->zoomScale() == fittingScale())
        m_userdidInteract = false;
}

void ImageViewerController::layoutChildViews()
{
    QWidget *root = view();
    if (m_scrollView)
        m_scrollView->setGeometry(root->rect());
    if (m_closeButton)
        m_closeButton->move(kButtonMargin, kButtonMargin);
    if (m_selectButton)
        m_selectButton->move(root->width() - kButtonMargin - kButtonSide, kButtonMargin);
    if (m_closeButton)
        m_closeButton->raise();
    if (m_selectButton)
        m_selectButton->raise();
}

void ImageViewerController::viewDidLayoutSubviews()
{
    if (!m_scrollView || !m_imageView)
        return;
    const QSizeF content = m_scrollView->contentSize();
    m_scrollView->setContentOffset(QPointF(m_currentOffsetPercentage.x() * (content.width() - m_scrollView->width()),
        m_currentOffsetPercentage.y() * (content.height() - m_scrollView->height())));
    const double fitting = fittingScale();
    m_scrollView->setMinimumZoomScale(fitting);
    centerImage();
    const QSize frame = m_imageView->size();
    const bool coversBounds = frame.width() >= m_scrollView->width() && frame.height() >= m_scrollView->height();
    if (!(coversBounds && m_userdidInteract && m_scrollView->zoomScale() != fitting))
        m_scrollView->setZoomScale(fitting, false);
}

void ImageViewerController::centerImage()
{
    if (!m_scrollView || !m_imageView)
        return;
    const double vertical = std::max(0.0, (m_scrollView->height() - m_imageView->height()) / 2.0);
    const double horizontal = std::max(0.0, (m_scrollView->width() - m_imageView->width()) / 2.0);
    m_scrollView->setContentInset(EdgeInsets { vertical, horizontal, vertical, horizontal });
}

QWidget *ImageViewerController::viewForZooming(ScrollView *)
{
    return m_imageView;
}

void ImageViewerController::scrollViewDidZoom(ScrollView *)
{
    centerImage();
}

void ImageViewerController::scrollViewDidEndZooming(ScrollView *, QWidget *, double)
{
    m_userdidInteract = true;
}

void ImageViewerController::closeButtonTapped()
{
    dismiss(true);
}

void ImageViewerController::selectButtonTapped()
{
    if (m_image.isNull())
        return;
    QPointer<ImageViewerController> self(this);
    const QImage image = m_image;
    // Captured now: the viewer is deleted once its dismissal has finished.
    ImageViewerControllerDelegate *target = delegate();
    QPointer<QObject> targetObject = m_delegateObject;
    const bool targetIsObject = m_delegateIsObject;
    dismiss(true, [target, targetObject, targetIsObject, image] {
        if (!target || (targetIsObject && !targetObject))
            return;
        target->imageViewerDidSelect(image);
    });
}

void ImageViewerController::handleTapGesture(GestureRecognizer *recognizer)
{
    if (!m_scrollView || recognizer->state() != GestureRecognizer::State::ended)
        return;
    const double fitting = fittingScale();
    if (m_scrollView->zoomScale() > fitting) {
        m_scrollView->setZoomScale(fitting, true);
        return;
    }
    if (m_imageView->image().isNull())
        return;
    const QPointF p = recognizer->location(m_scrollView->window());
    const QSizeF picture = m_imageView->imageSize();
    const double maximum = m_scrollView->maximumZoomScale();
    const double width = picture.width() / maximum;
    const double height = picture.height() / maximum;
    const QRectF rect(p.x() / m_scrollView->width() * picture.width() - width / 2.0,
        p.y() / m_scrollView->height() * picture.height() - height / 2.0, width, height);
    m_scrollView->zoomToRect(rect, true);
}

bool ImageViewerController::gestureShouldBegin()
{
    return m_scrollView && m_scrollView->contentOffset().y() <= 0.0;
}

QPointF ImageViewerController::recentVelocity() const
{
    if (m_dragSamples.size() < 2)
        return {};
    const double now = AnimationDriver::shared().currentTime();
    const DragSample &last = m_dragSamples.back();
    if (now - last.time > kVelocityWindow)
        return {};
    const DragSample &first = m_dragSamples.front();
    const double dt = last.time - first.time;
    if (dt <= 0.0)
        return {};
    return (last.translation - first.translation) / dt;
}

void ImageViewerController::handlePanGesture(GestureRecognizer *recognizer)
{
    if (!m_transitioningHandler || !m_scrollView)
        return;
    auto *pan = static_cast<PanGestureRecognizer *>(recognizer);
    const QPointF translation = pan->translation(m_scrollView);
    const double now = AnimationDriver::shared().currentTime();
    switch (recognizer->state()) {
    case GestureRecognizer::State::began:
        m_dragSamples.clear();
        m_dragSamples.push_back({ now, translation });
        m_transitioningHandler->dismissInteractively = true;
        dismiss(true);
        break;
    case GestureRecognizer::State::changed: {
        m_dragSamples.push_back({ now, translation });
        while (m_dragSamples.size() > 2 && now - m_dragSamples.front().time > kVelocityWindow)
            m_dragSamples.pop_front();
        const double height = std::max(1, m_scrollView->height());
        const double progress = std::abs(translation.y()) / height;
        ImageViewerDismissalInteractor *interactor = m_transitioningHandler->dismissalInteractor.get();
        interactor->update(progress);
        interactor->update(QTransform::fromTranslate(translation.x(), translation.y()));
        break;
    }
    case GestureRecognizer::State::ended:
    case GestureRecognizer::State::cancelled: {
        m_transitioningHandler->dismissInteractively = false;
        const double height = std::max(1, m_scrollView->height());
        const double velocity = recentVelocity().y();
        m_dragSamples.clear();
        ImageViewerDismissalInteractor *interactor = m_transitioningHandler->dismissalInteractor.get();
        if (std::abs(translation.y() + velocity) / height > kDismissThreshold)
            interactor->finish();
        else
            interactor->cancel();
        break;
    }
    default:
        break;
    }
}

} // namespace tarnik
