#include "Settings/PagingViewController.h"

#include "App/AppDelegate.h"
#include "App/Constants.h"
#include "App/Globals.h"
#include "Platform/Bundle.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/Animation.h"
#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/Window.h"
#include "Platform/UrlOpener.h"
#include "Player/MiniPlayerHost.h"
#include "Settings/AppUtility.h"
#include "Settings/PreferenceViewController.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <cmath>

namespace tarnik {

namespace {

struct SlideText
{
    QString title;
    QString detail;
};

QList<SlideText> slideTexts()
{
    return {
        { QStringLiteral("Media Importer"),
            QStringLiteral("Tarnik allows you to browse your entire device and add any supported audio/video to your "
                           "Music app, Videos app, Podcasts, Ringtones, Camera Roll... without having to rely on "
                           "iTunes or connect to your Mac or PC.") },
        { QStringLiteral("Easy To Use"),
            QStringLiteral("You can import multiple files at once like all the songs in an album and let Tarnik "
                           "implicitly extract any embedded Metadata.\n\nIf you prefer to have more control, you can "
                           "single out a file to modify its matadata, its album artwork and even trim/cut the audio "
                           "to your liking before importing it, like in the case of a ringtone.") },
        { QStringLiteral("Your Ringtones"),
            QStringLiteral("Audio imported as a ringtone or a tone appears in the Ringtones tab. Tap a ringtone there "
                           "to rename it, or use Edit to delete it with its file.") },
        { QStringLiteral("The Companion Service"),
            QStringLiteral("Imports are written into your media library by the companion service. Keep it running "
                           "while you import; if something goes wrong, the Settings tab can empty the cache or "
                           "repair the downloads.") },
        { QStringLiteral("Thank You"),
            QStringLiteral("Thank you for downloading Tarnik app.\nFor queries, please don't hesitate to drop me a "
                           "line.") },
    };
}

const char *const kBackgroundColours[] = { "#17324d", "#0b6e8a", "#4a3b8f", "#8f3b5a", "#2f6f4f" };

// The maker's web page: TARNIK_WEBPAGE_URL, read on every use.
QString webpageAddress()
{
    return qEnvironmentVariable("TARNIK_WEBPAGE_URL");
}

QTransform scaleThenTranslate(double scale, double dx, double dy)
{
    // Scale first, then the translation, which the scale does not touch.
    return QTransform::fromScale(scale, scale) * QTransform::fromTranslate(dx, dy);
}

} // namespace

int PagingViewController::visiblePageIndex(double x, double width)
{
    if (width == 0.0)
        return 0;
    const double quotient = x / width;
    if (!std::isfinite(quotient))
        return 0;
    return int(std::trunc(quotient));
}

PagingViewController::Parallax PagingViewController::parallax(double x, double W, double V, double L)
{
    Parallax result;
    const int i = visiblePageIndex(x, W);
    const double p = W == 0.0 ? 0.0 : x / W - i;
    result.page = i;
    result.progress = p;
    result.backgroundAlpha.insert(i + 1, p);
    result.detailAlpha.insert(i, 1.0 - p);
    result.detailAlpha.insert(i + 1, p);
    if (i >= 1)
        result.buttonsTransform.insert(i, QTransform::fromTranslate(p * V, 0.5 * p * L));
    if (i + 1 >= 1 && i + 1 < kSlideCount)
        result.buttonsTransform.insert(i + 1, QTransform::fromTranslate(-(1.0 - p) * V, (1.0 - p) * L));
    // Every other picture and button row goes back to rest.
    for (int tag : { 0, 2, 3, 4 }) {
        if (tag != i && tag != i + 1)
            result.imageTransform.insert(tag, QTransform());
    }
    for (int tag : { 1, 2, 3, 4 }) {
        if (tag != i && tag != i + 1)
            result.buttonsTransform.insert(tag, QTransform());
    }
    const QTransform incoming = scaleThenTranslate(p, -0.5 * (1.0 - p) * V, 0.0);
    const QTransform outgoing = scaleThenTranslate(1.0 - p, 0.5 * p * V, 0.0);
    switch (i) {
    case 0:
        result.imageTransform.insert(0, QTransform::fromTranslate(p * V, -0.5 * p * L));
        break;
    case 1:
        result.imageTransform.insert(2, incoming);
        break;
    case 2:
        result.imageTransform.insert(2, outgoing);
        result.imageTransform.insert(3, incoming);
        break;
    case 3:
        result.imageTransform.insert(3, outgoing);
        result.imageTransform.insert(4, QTransform::fromTranslate(-(1.0 - p) * V, -0.5 * (1.0 - p) * L));
        break;
    default:
        break;
    }
    return result;
}

PagingViewController::PagingViewController(QObject *parent)
    : ViewController(parent)
{
}

void PagingViewController::loadView()
{
    auto *root = new QWidget;
    root->setObjectName(QStringLiteral("GuideView"));
    root->setAutoFillBackground(true);
    for (int tag = 0; tag < kSlideCount; ++tag) {
        auto *background = new QWidget(root);
        background->setObjectName(QStringLiteral("background_%1").arg(tag));
        background->setProperty("tag", tag);
        background->setAttribute(Qt::WA_StyledBackground, true);
        background->setStyleSheet(
            QStringLiteral("#background_%1 { background: %2; }").arg(tag).arg(QLatin1String(kBackgroundColours[tag])));
        m_backgrounds.append(background);
        setAlpha(background, tag == 0 ? 1.0 : 0.0);
    }
    m_scrollView = new ScrollView(root);
    m_scrollView->setObjectName(QStringLiteral("scrollView"));
    m_scrollView->setPagingEnabled(true);
    m_scrollView->setAutoFillBackground(false);

    const QList<SlideText> texts = slideTexts();
    for (int tag = 0; tag < kSlideCount; ++tag) {
        auto *slide = new QWidget(m_scrollView);
        slide->setObjectName(QStringLiteral("slide_%1").arg(tag));
        m_slides.append(slide);
        auto *title = new QLabel(slide);
        title->setObjectName(QStringLiteral("titleLabel_%1").arg(tag));
        title->setAlignment(Qt::AlignCenter);
        title->setWordWrap(true);
        title->setStyleSheet(QStringLiteral("color: white;"));
        m_titleLabels.append(title);
        auto *detail = new QLabel(slide);
        detail->setObjectName(QStringLiteral("detailLabel_%1").arg(tag));
        detail->setProperty("tag", tag);
        detail->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        detail->setWordWrap(true);
        detail->setStyleSheet(QStringLiteral("color: white;"));
        m_detailLabels.append(detail);
        setAlpha(detail, tag == 0 ? 1.0 : 0.0);
        if (tag != 1) {
            auto *image = new QLabel(slide);
            image->setObjectName(QStringLiteral("image_%1").arg(tag));
            image->setProperty("tag", tag);
            image->setScaledContents(true);
            image->setAccessibleName(texts.at(tag).title);
            if (const auto path = Bundle::main().pathForResource(
                    QStringLiteral("guide-%1").arg(tag), QStringLiteral("svg"), QStringLiteral("images")))
                image->setPixmap(QIcon(*path).pixmap(QSize(320, 320)));
            m_imageViews.append(image);
        }
        if (tag != 0) {
            auto *row = new QWidget(slide);
            row->setObjectName(QStringLiteral("buttonsStackView_%1").arg(tag));
            row->setProperty("tag", tag);
            auto *layout = new QHBoxLayout(row);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(12);
            const auto addButton = [&](const QString &buttonTitle, void (PagingViewController::*action)(),
                                       bool enabled = true) {
                auto *button = new QPushButton(_localizedString(buttonTitle), row);
                button->setCursor(Qt::PointingHandCursor);
                connect(button, &QPushButton::clicked, this, action);
                // A button whose address is not configured shows that it does nothing.
                button->setEnabled(enabled);
                layout->addWidget(button);
            };
            const bool tutorial = PreferenceViewController::Constants::hasTutorialPage();
            switch (tag) {
            case 1:
                addButton(QStringLiteral("Video Tutorial"), &PagingViewController::viewVideoTutorial, tutorial);
                addButton(QStringLiteral("How To Guide"), &PagingViewController::viewInstructions);
                break;
            case 2:
                addButton(QStringLiteral("How To Guide"), &PagingViewController::viewInstructions);
                break;
            case 3:
                addButton(QStringLiteral("Video Tutorial"), &PagingViewController::viewVideoTutorial, tutorial);
                break;
            default:
                addButton(QStringLiteral("Contact Developer"), &PagingViewController::sendMail);
                addButton(QStringLiteral("Website"), &PagingViewController::viewTarnikWebpage,
                    UrlOpener::webAddress(webpageAddress()).has_value());
                break;
            }
            m_buttonRows.append(row);
        }
    }
    m_pageControl = new PageControl(root);
    m_pageControl->setObjectName(QStringLiteral("pageControl"));
    m_pageControl->setNumberOfPages(kSlideCount);
    // A dot chosen by the user pages the pager there.
    connect(m_pageControl, &PageControl::valueChanged, this, [this] {
        if (m_scrollView && m_scrollView->width() > 0)
            m_scrollView->setContentOffset(
                QPointF(double(m_pageControl->currentPage()) * m_scrollView->width(), 0.0), true);
    });
    setView(root);
}

void PagingViewController::viewDidLoad()
{
    ViewController::viewDidLoad();
    if (TabBarController *tabs = tabBarController())
        tabs->setDelegate(this);
    m_scrollView->setDelegate(this);

    const QList<SlideText> texts = slideTexts();
    for (int tag = 0; tag < kSlideCount; ++tag) {
        m_titleLabels[tag]->setText(_localizedString(texts.at(tag).title));
        m_detailLabels[tag]->setText(_localizedString(texts.at(tag).detail));
    }
    for (QWidget *row : std::as_const(m_buttonRows)) {
        for (QPushButton *button : row->findChildren<QPushButton *>(QString(), Qt::FindDirectChildrenOnly)) {
            button->setStyleSheet(QStringLiteral("QPushButton { border: 0.3px solid white; border-radius: 5px; "
                                                 "color: white; background: transparent; padding: 4px 12px; }"
                                                 "QPushButton:pressed { background: rgba(255, 255, 255, 40); }"
                                                 "QPushButton:disabled { border-color: rgba(255, 255, 255, 90); "
                                                 "color: rgba(255, 255, 255, 110); }"));
        }
    }
}

PagingViewController::TypeSizes PagingViewController::designTypeSizes()
{
    // Read at each layout: the window plays the device and changes with the user's resizing.
    if (Device::isIPhone4orLess() || Device::isIPhone5())
        return { 28, 17, 20, 44 };
    if (Device::isPad())
        return { 36, 26, 26, 54 };
    return { 33, 22, 24, 48 };
}

void PagingViewController::applyTypeSizes(const TypeSizes &sizes)
{
    for (int tag = 0; tag < kSlideCount; ++tag) {
        QFont title = m_titleLabels[tag]->font();
        title.setPixelSize(sizes.title);
        title.setBold(true);
        m_titleLabels[tag]->setFont(title);
        QFont text = m_detailLabels[tag]->font();
        text.setPixelSize(sizes.text);
        m_detailLabels[tag]->setFont(text);
    }
    for (QWidget *row : std::as_const(m_buttonRows)) {
        for (QPushButton *button : row->findChildren<QPushButton *>(QString(), Qt::FindDirectChildrenOnly)) {
            QFont font = button->font();
            font.setPixelSize(sizes.button);
            font.setWeight(QFont::Light);
            button->setFont(font);
        }
    }
    m_buttonsHeight = sizes.buttonsHeight;
}

bool PagingViewController::buttonRowsFit(int width) const
{
    for (QWidget *row : m_buttonRows) {
        const QList<QPushButton *> buttons = row->findChildren<QPushButton *>(QString(), Qt::FindDirectChildrenOnly);
        int needed = row->layout() ? row->layout()->spacing() * int(buttons.size() - 1) : 0;
        for (const QPushButton *button : buttons) {
            needed += button->sizeHint().width();
            if (button->sizeHint().height() > int(m_buttonsHeight))
                return false;
        }
        if (needed > width)
            return false;
    }
    return true;
}

bool PagingViewController::slidesFit(int width, int height, int imageSide) const
{
    const int margin = std::max(16, width / 12);
    const int buttonsTop = height - kPageControlHeight - int(m_buttonsHeight) - 16;
    for (int tag = 0; tag < kSlideCount; ++tag) {
        const int titleTop = int(height * 0.08) + imageSide + 24;
        const int detailTop = titleTop + m_titleLabels.at(tag)->heightForWidth(width - 2 * margin) + 12;
        if (m_detailLabels.at(tag)->heightForWidth(width - 2 * margin) > buttonsTop - detailTop - 8)
            return false;
    }
    return true;
}

void PagingViewController::layoutSlides()
{
    QWidget *root = view();
    const int w = root->width();
    const int h = root->height();
    for (QWidget *background : std::as_const(m_backgrounds))
        background->setGeometry(0, 0, w, h);
    const int pageControlHeight = kPageControlHeight;
    m_scrollView->setGeometry(0, 0, w, h);
    m_scrollView->setContentSize(QSizeF(double(w) * kSlideCount, h));
    m_pageControl->setGeometry(0, h - pageControlHeight, w, pageControlHeight);
    m_pageControl->raise();
    const int margin = std::max(16, w / 12);
    int imageSide = std::min(int(w * 0.6), int(h * 0.32));
    // The design's type, made smaller where a small window would cut a text or a button: first the
    // buttons until each row fits side by side, then the texts down to three quarters, then the
    // picture down to a third, then the texts down to the smallest readable size.
    const TypeSizes design = designTypeSizes();
    TypeSizes type = design;
    applyTypeSizes(type);
    while (type.button > kSmallestType && !buttonRowsFit(w - 2 * margin)) {
        --type.button;
        applyTypeSizes(type);
    }
    while (!slidesFit(w, h, imageSide)) {
        if (type.text > design.text * 3 / 4) {
            --type.text;
            type.title = std::max(type.text + 4, type.title - 1);
        } else if (imageSide > std::min(int(w * 0.6), int(h * 0.32)) / 3) {
            imageSide -= 8;
            continue;
        } else if (type.text > kSmallestType) {
            --type.text;
            type.title = std::max(type.text + 4, type.title - 1);
        } else {
            break;
        }
        applyTypeSizes(type);
    }
    for (int tag = 0; tag < kSlideCount; ++tag) {
        QWidget *slide = m_slides.at(tag);
        m_scrollView->setContentFrame(slide, QRectF(double(w) * tag, 0, w, h));
        const int titleTop = int(h * 0.08) + imageSide + 24;
        QLabel *title = m_titleLabels.at(tag);
        const int titleHeight = title->heightForWidth(w - 2 * margin);
        title->setGeometry(margin, titleTop, w - 2 * margin, titleHeight);
        QLabel *detail = m_detailLabels.at(tag);
        const int buttonsTop = h - pageControlHeight - int(m_buttonsHeight) - 16;
        detail->setGeometry(margin, titleTop + titleHeight + 12, w - 2 * margin,
            std::max(0, buttonsTop - (titleTop + titleHeight + 12) - 8));
        for (QLabel *image : std::as_const(m_imageViews)) {
            if (image->property("tag").toInt() == tag)
                m_baseGeometry.insert(image, QRect((w - imageSide) / 2, int(h * 0.08), imageSide, imageSide));
        }
        for (QWidget *row : std::as_const(m_buttonRows)) {
            if (row->property("tag").toInt() == tag)
                m_baseGeometry.insert(row, QRect(margin, buttonsTop, w - 2 * margin, int(m_buttonsHeight)));
        }
    }
    for (auto it = m_baseGeometry.cbegin(); it != m_baseGeometry.cend(); ++it)
        setTransform(const_cast<QWidget *>(it.key()), m_transforms.value(it.key()));
}

void PagingViewController::viewDidLayoutSubviews()
{
    ViewController::viewDidLayoutSubviews();
    layoutSlides();
    const int page = m_pageControl->currentPage();
    const QSize size = view()->size();
    QPointer<PagingViewController> guard(this);
    // After a rotation or resize the current slide stays in view.
    Dispatch::mainAfter(0.1, [guard, page, size] {
        if (guard && guard->m_scrollView)
            guard->m_scrollView->scrollRectToVisible(
                QRectF(double(page) * size.width(), 0, size.width(), size.height()), true);
    });
}

int PagingViewController::visiblePageIndex() const
{
    return m_scrollView ? visiblePageIndex(m_scrollView->contentOffset().x(), m_scrollView->width()) : 0;
}

void PagingViewController::scrollViewDidScroll(ScrollView *scrollView)
{
    applyParallax(parallax(scrollView->contentOffset().x(), scrollView->width(), view()->width(), Device::maxLength()));
}

void PagingViewController::scrollViewDidEndDecelerating(ScrollView *)
{
    m_pageControl->setCurrentPage(visiblePageIndex());
}

void PagingViewController::scrollViewDidEndScrollingAnimation(ScrollView *)
{
    m_pageControl->setCurrentPage(visiblePageIndex());
}

void PagingViewController::applyParallax(const Parallax &parallax)
{
    const auto firstWithTag = [](const auto &list, int tag) -> QWidget * {
        for (QWidget *view : list) {
            if (view && view->property("tag").toInt() == tag)
                return view;
        }
        return nullptr;
    };
    for (auto it = parallax.backgroundAlpha.cbegin(); it != parallax.backgroundAlpha.cend(); ++it)
        setAlpha(firstWithTag(m_backgrounds, it.key()), it.value());
    for (auto it = parallax.detailAlpha.cbegin(); it != parallax.detailAlpha.cend(); ++it)
        setAlpha(firstWithTag(m_detailLabels, it.key()), it.value());
    for (auto it = parallax.buttonsTransform.cbegin(); it != parallax.buttonsTransform.cend(); ++it)
        setTransform(firstWithTag(m_buttonRows, it.key()), it.value());
    for (auto it = parallax.imageTransform.cbegin(); it != parallax.imageTransform.cend(); ++it)
        setTransform(firstWithTag(m_imageViews, it.key()), it.value());
}

void PagingViewController::setAlpha(QWidget *view, double alpha)
{
    if (!view)
        return;
    auto *effect = qobject_cast<QGraphicsOpacityEffect *>(view->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(view);
        view->setGraphicsEffect(effect);
    }
    effect->setOpacity(std::clamp(alpha, 0.0, 1.0));
}

double PagingViewController::alphaOf(const QWidget *view) const
{
    const auto *effect = view ? qobject_cast<QGraphicsOpacityEffect *>(view->graphicsEffect()) : nullptr;
    return effect ? effect->opacity() : 1.0;
}

void PagingViewController::setTransform(QWidget *view, const QTransform &transform)
{
    if (!view)
        return;
    m_transforms.insert(view, transform);
    const QRect base = m_baseGeometry.value(view);
    if (base.isNull())
        return;
    // As the toolkit does, the transform works about the view's centre.
    const QPointF centre = QRectF(base).center();
    const QTransform about = QTransform::fromTranslate(-centre.x(), -centre.y()) * transform
        * QTransform::fromTranslate(centre.x(), centre.y());
    const QRect mapped = about.mapRect(QRectF(base)).toRect();
    view->setGeometry(mapped);
    view->setVisible(!mapped.isEmpty());
}

QTransform PagingViewController::transformOf(const QWidget *view) const
{
    return m_transforms.value(view);
}

void PagingViewController::setPagerAlpha(double alpha)
{
    m_pagerAlpha = alpha;
    setAlpha(m_scrollView, alpha);
}

void PagingViewController::viewWillAppear(bool animated)
{
    ViewController::viewWillAppear(animated);
    if (!Device::isPad()) {
        QPointer<PagingViewController> guard(this);
        Dispatch::main([guard] {
            if (!guard)
                return;
            if (!Device::isPortrait() && guard->shouldRotateBackToPortraitIfRequired) {
                guard->setPagerAlpha(0.0);
                guard->shouldRotateBackToPortraitIfRequired = false;
            }
            AppUtility::lockOrientation(AppDelegate::portrait, 1);
            if (guard->m_pagerAlpha == 0.0) {
                Dispatch::mainAfter(0.5, [guard] {
                    if (!guard)
                        return;
                    auto fade = BasicAnimation::fromTo(0.0, 1.0, [guard](double value) {
                        if (guard)
                            guard->setPagerAlpha(value);
                    });
                    fade->duration = 0.3;
                    fade->timing = TimingFunction::easeInOut();
                    AnimationDriver::shared().addAnimation(guard, QStringLiteral("pagerAlpha"), fade);
                });
            }
        });
    }
    if (MiniPlayerHost *host = MiniPlayerHost::of(this); host && host->isMiniPlayerUp()) {
        restoreMiniPlayerView = true;
        host->updateMiniPlayer(true);
    }
}

void PagingViewController::viewWillDisappear(bool animated)
{
    ViewController::viewWillDisappear(animated);
    if (!Device::isPad())
        AppUtility::lockOrientation(AppDelegate::allOrientations);
    if (restoreMiniPlayerView) {
        restoreMiniPlayerView = false;
        if (MiniPlayerHost *host = MiniPlayerHost::of(this))
            host->updateMiniPlayer(false);
    }
}

void PagingViewController::viewWillTransition(const QSizeF &size)
{
    ViewController::viewWillTransition(size);
    if (presentedViewController())
        shouldRotateBackToPortraitIfRequired = true;
}

bool PagingViewController::shouldSelect(TabBarController *, ViewController *viewController)
{
    if (Device::isPad())
        return true;
    PagingViewController *guide = qobject_cast<PagingViewController *>(viewController);
    if (!guide && viewController) {
        // A tab usually holds the guide inside a navigation controller.
        guide = viewController->findChild<PagingViewController *>(QString(), Qt::FindDirectChildrenOnly);
    }
    if (guide && !Device::isPortrait()) {
        guide->loadViewIfNeeded();
        guide->setPagerAlpha(0.0);
        guide->shouldRotateBackToPortraitIfRequired = true;
    }
    return true;
}

void PagingViewController::viewTarnikWebpage()
{
    if (const std::optional<QUrl> url = UrlOpener::webAddress(webpageAddress()))
        UrlOpener::shared().openUrl(*url);
}

void PagingViewController::viewVideoTutorial()
{
    PreferenceViewController::viewVideoTutorial();
}

void PagingViewController::viewInstructions()
{
    PreferenceViewController::viewInstructions(this);
}

void PagingViewController::sendMail()
{
    PreferenceViewController::sendMail(this);
}

PageControl::PageControl(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QStringLiteral("Page 1 of 0"));
}

void PageControl::setNumberOfPages(int pages)
{
    m_pages = std::max(0, pages);
    setCurrentPage(m_current);
}

void PageControl::setCurrentPage(int page)
{
    m_current = std::clamp(page, 0, std::max(0, m_pages - 1));
    setAccessibleName(QStringLiteral("Page %1 of %2").arg(m_current + 1).arg(m_pages));
    update();
}

namespace {
constexpr double kDot = 7.0;
constexpr double kDotGap = 9.0;
} // namespace

double PageControl::dotsLeft() const
{
    const double total = m_pages * kDot + std::max(0, m_pages - 1) * kDotGap;
    return (width() - total) / 2.0;
}

int PageControl::pageAt(double x) const
{
    if (m_pages <= 0)
        return 0;
    // Each dot owns the space up to halfway to its neighbours; beside the
    // dots a click steps toward its side.
    const double left = dotsLeft();
    const double pitch = kDot + kDotGap;
    const double right = left + m_pages * pitch - kDotGap;
    if (x < left - kDotGap / 2.0)
        return std::max(0, m_current - 1);
    if (x > right + kDotGap / 2.0)
        return std::min(m_pages - 1, m_current + 1);
    return std::clamp(int(std::floor((x - left + kDotGap / 2.0) / pitch)), 0, m_pages - 1);
}

void PageControl::choose(int page)
{
    page = std::clamp(page, 0, std::max(0, m_pages - 1));
    if (page == m_current)
        return;
    setCurrentPage(page);
    Q_EMIT valueChanged();
}

void PageControl::mousePressEvent(QMouseEvent *event)
{
    event->setAccepted(event->button() == Qt::LeftButton);
}

void PageControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    event->accept();
    choose(pageAt(event->position().x()));
}

void PageControl::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        choose(m_current - 1);
        break;
    case Qt::Key_Right:
        choose(m_current + 1);
        break;
    case Qt::Key_Home:
        choose(0);
        break;
    case Qt::Key_End:
        choose(m_pages - 1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PageControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    double x = dotsLeft();
    painter.setPen(Qt::NoPen);
    for (int page = 0; page < m_pages; ++page) {
        painter.setBrush(page == m_current ? QColor(Qt::white) : QColor(255, 255, 255, 90));
        painter.drawEllipse(QRectF(x, (height() - kDot) / 2.0, kDot, kDot));
        x += kDot + kDotGap;
    }
    if (hasFocus()) {
        const double total = m_pages * kDot + std::max(0, m_pages - 1) * kDotGap;
        painter.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(dotsLeft() - 8, (height() - kDot) / 2.0 - 6, total + 16, kDot + 12), 9, 9);
    }
}

} // namespace tarnik
