#include "Browser/EntryCell.h"

#include "App/Constants.h"
#include "App/Preferences.h"
#include "Browser/EntryCellDelegate.h"
#include "Browser/EntryImageView.h"
#include "Browser/PaddedLabel.h"
#include "Browser/Visualizer.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModel.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/View.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QToolButton>
#include <algorithm>

namespace tarnik {

namespace {

constexpr double kMargin = 7.0;
constexpr double kBorderWidth = 0.5;
constexpr int kAccessorySide = 30;

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QFont sizedFont(double pixels, bool bold = false)
{
    QFont font = Common::defaultFont();
    font.setPixelSize(int(pixels));
    font.setBold(bold);
    return font;
}

// A row's text that does not fit ends in an ellipsis on its last line instead of being cut
// mid-letter at the edge; text() stays the whole text (screen readers read it whole).
class TruncatingLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        const QRect room = contentsRect();
        const QString whole = text();
        const QFontMetrics metrics(font());
        QStringList lines;
        bool cut = false;
        if (!wordWrap()) {
            cut = metrics.horizontalAdvance(whole) > room.width();
            lines << (cut ? metrics.elidedText(whole, Qt::ElideRight, room.width()) : whole);
        } else {
            const int most = std::max(1, room.height() / std::max(1, metrics.height()));
            QTextLayout layout(whole, font());
            QTextOption option;
            option.setWrapMode(QTextOption::WordWrap);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(room.width());
                const QString part = whole.mid(line.textStart(), line.textLength()).trimmed();
                if (lines.size() == most - 1) {
                    // The last line that shows takes the rest of the text.
                    const QString rest = whole.mid(line.textStart()).trimmed();
                    cut = metrics.horizontalAdvance(rest) > room.width();
                    lines << (cut ? metrics.elidedText(rest, Qt::ElideRight, room.width()) : rest);
                    break;
                }
                cut = cut || line.naturalTextWidth() > room.width();
                lines << (metrics.horizontalAdvance(part) > room.width()
                        ? metrics.elidedText(part, Qt::ElideRight, room.width())
                        : part);
            }
            layout.endLayout();
        }
        if (!cut) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
        const int step = std::min(metrics.lineSpacing(), room.height() / int(lines.size()));
        const int height = step * int(lines.size());
        int top = room.top();
        if (alignment() & Qt::AlignVCenter)
            top += (room.height() - height) / 2;
        else if (alignment() & Qt::AlignBottom)
            top += room.height() - height;
        const Qt::Alignment across = alignment() & Qt::AlignHorizontal_Mask;
        for (const QString &line : lines) {
            painter.drawText(QRect(room.left(), top, room.width(), step), int(across | Qt::AlignVCenter), line);
            top += step;
        }
    }
};

EntryCell::ThumbnailSettings &settingsSnapshot()
{
    static EntryCell::ThumbnailSettings settings { Preferences::showVideoThumbnail(), Preferences::showImageThumbnail() };
    return settings;
}

} // namespace

EntryCell::ThumbnailSettings EntryCell::thumbnailSettings()
{
    return settingsSnapshot();
}

void EntryCell::refreshThumbnailSettings()
{
    settingsSnapshot() = { Preferences::showVideoThumbnail(), Preferences::showImageThumbnail() };
}

EntryCell::EntryCell(Layout design, QWidget *parent)
    : CollectionViewCell(parent)
    , m_design(design)
    , m_title(new TruncatingLabel(contentView()))
    , m_artist(new TruncatingLabel(contentView()))
    , m_imageView(new EntryImageView(contentView()))
    , m_accessory(new QToolButton(contentView()))
    , m_coverView(new QWidget(contentView()))
    , m_extensionLabel(new PaddedLabel(contentView()))
{
    setObjectName(reuseIdentifier(design));
    for (QLabel *label : { m_title, m_artist, static_cast<QLabel *>(m_extensionLabel) }) {
        // Names are shown as they are: a name that looks like markup is not rendered as markup.
        label->setTextFormat(Qt::PlainText);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    m_title->setObjectName(QStringLiteral("EntryTitle"));
    m_artist->setObjectName(QStringLiteral("EntryArtist"));
    m_extensionLabel->setObjectName(QStringLiteral("EntryExtension"));
    m_title->setFont(sizedFont(design == Layout::list ? 15 : 13));
    m_artist->setFont(sizedFont(design == Layout::list ? 13 : 11));
    setTextColor(m_artist, Common::greyColor());
    m_title->setWordWrap(design == Layout::grid);
    if (design == Layout::grid) {
        m_title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        m_artist->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    } else {
        m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_artist->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    m_extensionLabel->setFont(sizedFont(9, true));
    m_extensionLabel->setAlignment(Qt::AlignCenter);
    m_extensionLabel->setAutoFillBackground(true);
    QPalette badge = m_extensionLabel->palette();
    badge.setColor(QPalette::Window, QColor(0, 0, 0, 140));
    badge.setColor(QPalette::WindowText, Qt::white);
    m_extensionLabel->setPalette(badge);

    m_accessory->setObjectName(QStringLiteral("EntryAccessory"));
    m_accessory->setAutoRaise(true);
    m_accessory->setIconSize(QSize(22, 22));
    m_accessory->setFocusPolicy(Qt::NoFocus);
    m_accessory->setAccessibleName(QStringLiteral("More"));
    connect(m_accessory, &QToolButton::clicked, this, &EntryCell::accessoryButtonTapped);

    m_coverView->setObjectName(QStringLiteral("EntryCover"));
    m_coverView->setAutoFillBackground(true);
    QPalette cover = m_coverView->palette();
    cover.setColor(QPalette::Window, Qt::white);
    m_coverView->setPalette(cover);
    m_coverView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_coverView->hide();

    // What the interface file would set up: white, rounded, the badge's margins, the picture's
    // border colour and a hidden playing indicator.
    m_background = cellBackgroundColor();
    m_extensionLabel->leftInset = 4.0;
    m_extensionLabel->rightInset = 4.0;
    m_imageView->setBorderColor(entryBorderColor());
    visualizer()->hide();
    layoutContent();
}

EntryCell::~EntryCell()
{
    auto &driver = AnimationDriver::shared();
    for (AnimationDriver::Id id : { m_backgroundAnimation, m_coverAnimation, m_popAnimation })
        if (id)
            driver.stop(id);
    View::stopWiggling(m_imageView);
}

EntryCellDelegate *EntryCell::delegate() const
{
    return m_delegateObject ? m_delegate : nullptr;
}

void EntryCell::setDelegate(EntryCellDelegate *delegate)
{
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject *>(delegate);
}

Visualizer *EntryCell::visualizer()
{
    if (!m_visualizer) {
        m_visualizer = new Visualizer(10, QSizeF(2, 20), 2, m_imageView);
        m_visualizer->hide();
        layoutContent();
    }
    return m_visualizer;
}

void EntryCell::setSelected(bool selected)
{
    CollectionViewCell::setSelected(selected);
    auto &driver = AnimationDriver::shared();
    if (m_backgroundAnimation)
        driver.stop(std::exchange(m_backgroundAnimation, 0));
    const QColor from = m_background;
    const QColor to = selected ? selectedCellColor() : cellBackgroundColor();
    QPointer<EntryCell> self(this);
    auto animation = std::make_shared<BasicAnimation>([self, from, to](double p) {
        if (!self)
            return;
        self->setBackgroundColor(QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * p),
            float(from.greenF() + (to.greenF() - from.greenF()) * p),
            float(from.blueF() + (to.blueF() - from.blueF()) * p)));
    });
    animation->duration = 0.25;
    m_backgroundAnimation = driver.run(animation, 0.0, [self](bool) {
        if (self)
            self->m_backgroundAnimation = 0;
    });
}

void EntryCell::setBackgroundColor(const QColor &color)
{
    m_background = color;
    update();
}

void EntryCell::prepareForReuse()
{
    CollectionViewCell::prepareForReuse();
    if (m_visualizer)
        m_visualizer->hide();
}

void EntryCell::setCoverAlpha(double alpha, bool animated, bool hideWhenDone)
{
    auto &driver = AnimationDriver::shared();
    if (m_coverAnimation)
        driver.stop(std::exchange(m_coverAnimation, 0));
    if (!animated) {
        View::setAlpha(m_coverView, alpha);
        return;
    }
    QPointer<EntryCell> self(this);
    auto animation = BasicAnimation::fromTo(View::alpha(m_coverView), alpha, [self](double value) {
        if (self)
            View::setAlpha(self->m_coverView, value);
    });
    animation->duration = 0.25;
    m_coverAnimation = driver.run(animation, 0.0, [self, hideWhenDone](bool finished) {
        if (!self)
            return;
        self->m_coverAnimation = 0;
        if (finished && hideWhenDone) {
            self->m_coverView->hide();
            View::setAlpha(self->m_coverView, 1.0);
        }
    });
}

void EntryCell::popIn()
{
    auto &driver = AnimationDriver::shared();
    if (m_popAnimation)
        driver.stop(std::exchange(m_popAnimation, 0));
    QPointer<EntryImageView> image(m_imageView);
    auto animation = BasicAnimation::fromTo(0.8, 1.0, [image](double scale) {
        if (image)
            View::setTransform(image, QTransform::fromScale(scale, scale));
    });
    animation->duration = 0.3;
    animation->timing = TimingFunction::easeInOut();
    View::setTransform(m_imageView, QTransform::fromScale(0.8, 0.8));
    QPointer<EntryCell> self(this);
    m_popAnimation = driver.run(animation, 0.0, [self](bool) {
        if (self)
            self->m_popAnimation = 0;
    });
}

void EntryCell::configure(
    const std::shared_ptr<EntryViewModel> &viewModel, Layout layout, bool isEditing, bool animated)
{
    if (!viewModel)
        return;

    m_imageView->setBorderWidth(0);
    m_imageView->setCornerRadius(0);
    m_artist->hide();
    m_accessory->hide();
    View::setAlpha(m_title, 1.0);
    setTextColor(m_title, dimmedTitleColor());
    if (m_coverAnimation)
        AnimationDriver::shared().stop(std::exchange(m_coverAnimation, 0));
    m_coverView->hide();
    View::setAlpha(m_coverView, 1.0);

    m_title->setText(viewModel->title());
    m_title->setAccessibleName(viewModel->title());
    setAccessibleName(viewModel->title());
    m_artist->setText(viewModel->artist().value_or(QString()));
    if (viewModel->artist())
        m_artist->setVisible(!viewModel->artist()->isEmpty());
    const QString extension = viewModel->extensionString().value_or(QString());
    m_extensionLabel->setText(extension);
    m_extensionLabel->setVisible(!extension.isEmpty());
    m_accessory->setIcon(viewModel->accessoryImage().isNull()
            ? QIcon()
            : QIcon(QPixmap::fromImage(viewModel->accessoryImage())));
    m_imageView->setImage(viewModel->image());

    const EntryType type = viewModel->type();
    if (!isEditing) {
        View::stopWiggling(m_imageView);
        View::setTransform(m_imageView, QTransform());
    } else if (type != EntryType::exportable) {
        View::stopWiggling(m_imageView);
        View::setTransform(m_imageView, QTransform());
        m_coverView->show();
        m_coverView->raise();
        View::setAlpha(m_coverView, 0.0);
        setCoverAlpha(0.5, true, false);
    }

    const bool updated = viewModel->state() == UpdateState::updated;
    const auto giveBorder = [this] {
        m_imageView->setBorderWidth(kBorderWidth);
        m_imageView->setCornerRadius(thumbnailCornerRadius());
    };
    switch (type) {
    case EntryType::exportable:
        if (isEditing) {
            m_coverView->hide();
            View::setAlpha(m_coverView, 1.0);
            View::startWiggling(m_imageView);
        }
        setTextColor(m_title, titleColor());
        m_accessory->setAccessibleName(QStringLiteral("More"));
        m_accessory->show();
        if (updated && thumbnailSettings().showVideoThumbnail) {
            if (!viewModel->isUsingIconImage())
                giveBorder();
            if (animated)
                popIn();
        }
        break;
    case EntryType::image:
        m_accessory->setAccessibleName(QStringLiteral("More"));
        m_accessory->show();
        if (updated && thumbnailSettings().showImageThumbnail) {
            giveBorder();
            if (animated)
                popIn();
        }
        break;
    case EntryType::regular:
        if (animated)
            popIn();
        break;
    case EntryType::directory:
        setTextColor(m_title, titleColor());
        m_accessory->setAccessibleName(QStringLiteral("Open"));
        m_accessory->setVisible(layout == Layout::list);
        break;
    }
    layoutContent();

    if (updated && type == EntryType::exportable)
        refreshPlayingIndicator();
}

void EntryCell::refreshPlayingIndicator()
{
    if (!m_identifier)
        return;
    const Preferences::NowPlaying marker = Preferences::nowPlaying();
    if (!marker.identifier)
        return;
    const QString shown = *m_identifier;
    const bool mine = *marker.identifier == shown;
    const bool playing = marker.isPlaying;
    QPointer<EntryCell> self(this);
    Dispatch::mainAfter(0.1, [self, shown, mine, playing] {
        // The cell may show another row by now; that row's own configuration decides for it.
        if (!self || self->m_identifier != shown)
            return;
        if (mine && playing)
            self->visualizer()->start();
        else if (mine)
            self->visualizer()->stop(false);
        else if (self->hasVisualizer() && !self->m_visualizer->isHidden())
            self->visualizer()->stop(true);
    });
}

void EntryCell::accessoryButtonTapped()
{
    EntryCellDelegate *owner = delegate();
    if (!m_identifier || !owner)
        return;
    owner->accessoryButtonTapped(*m_identifier, this);
}

void EntryCell::resizeEvent(QResizeEvent *event)
{
    CollectionViewCell::resizeEvent(event);
    layoutContent();
}

void EntryCell::layoutContent()
{
    const double w = width();
    const double h = height();
    const QFontMetrics titleMetrics(m_title->font());
    const QFontMetrics artistMetrics(m_artist->font());
    const bool showArtist = !m_artist->isHidden();
    QRectF imageRect;
    if (m_design == Layout::list) {
        const double side = std::max(0.0, h - 2 * kMargin);
        imageRect = QRectF(kMargin, kMargin, side, side);
        const double textX = imageRect.right() + 10;
        const double right = w - kMargin - (m_accessory->isHidden() ? 0 : kAccessorySide + 4);
        const double textW = std::max(0.0, right - textX);
        const double titleH = titleMetrics.height();
        const double artistH = artistMetrics.height();
        const double block = titleH + (showArtist ? artistH + 2 : 0);
        const double top = (h - block) / 2.0;
        m_title->setGeometry(QRectF(textX, top, textW, titleH).toRect());
        m_artist->setGeometry(QRectF(textX, top + titleH + 2, textW, artistH).toRect());
        m_accessory->setGeometry(QRectF(w - kMargin - kAccessorySide, (h - kAccessorySide) / 2.0, kAccessorySide,
                                     kAccessorySide)
                .toRect());
    } else {
        const double textBlock = titleMetrics.height() * 2 + artistMetrics.height() + 8;
        const double side = std::max(0.0, std::min(w - 2 * kMargin, h - kMargin - textBlock));
        imageRect = QRectF((w - side) / 2.0, kMargin, side, side);
        const double titleTop = imageRect.bottom() + 4;
        // Up to two lines of title, the artist right under what the title uses.
        const double needed = m_title->heightForWidth(int(w - 2 * kMargin));
        const double titleH = std::clamp(needed, double(titleMetrics.height()), titleMetrics.height() * 2.0);
        m_title->setGeometry(QRectF(kMargin, titleTop, w - 2 * kMargin, titleH).toRect());
        m_artist->setGeometry(
            QRectF(kMargin, titleTop + titleH, w - 2 * kMargin, artistMetrics.height()).toRect());
        m_accessory->setGeometry(QRectF(w - kAccessorySide - 2, 2, kAccessorySide, kAccessorySide).toRect());
    }
    m_imageView->setGeometry(imageRect.toRect());
    const QSize badge = m_extensionLabel->sizeHint();
    m_extensionLabel->setGeometry(QRectF(imageRect.right() - badge.width() - 3, imageRect.bottom() - badge.height() - 3,
                                      badge.width(), badge.height())
            .toRect());
    m_extensionLabel->raise();
    m_coverView->setGeometry(QRect(0, 0, int(w), int(h)));
    if (m_visualizer) {
        m_visualizer->move(int((imageRect.width() - m_visualizer->width()) / 2.0),
            int((imageRect.height() - m_visualizer->height()) / 2.0));
    }
    m_accessory->raise();
}

void EntryCell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_background);
    const double radius = thumbnailCornerRadius();
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
}

} // namespace tarnik
