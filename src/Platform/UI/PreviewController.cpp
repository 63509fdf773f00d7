#include "Platform/UI/PreviewController.h"

#include "Platform/Media/RegularFile.h"

#include <QAudioOutput>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QMediaPlayer>
#include <QMimeDatabase>
#include <QPdfDocument>
#include <QPdfView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStringDecoder>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVideoWidget>
#include <QtConcurrent/QtConcurrentRun>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnik {

namespace {

// Set by the app at start: this layer knows nothing of the app's player.
std::function<void()> &pauseHook()
{
    static std::function<void()> hook;
    return hook;
}

// Regular files only: a FIFO or a device named like a document must never be opened, and a file
// on "/proc" or "/sys" may block or never end when read for sniffing.
bool isRegularFile(const QString &path)
{
    return RegularFile::isRegularFile(path);
}

QLabel *makeLabel(const QString &text, QWidget *parent, int pixelSize = 15, const char *color = "#343434")
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(color)));
    return label;
}

} // namespace

PreviewController::PreviewController(QObject *parent)
    : ViewController(parent)
{
}

PreviewController::~PreviewController() = default;

void PreviewController::setPauseOtherPlayback(std::function<void()> pause)
{
    pauseHook() = std::move(pause);
}

void PreviewController::setDataSource(PreviewControllerDataSource *dataSource)
{
    m_dataSource = dataSource;
    m_dataSourceObject = dynamic_cast<QObject *>(dataSource);
    m_dataSourceIsObject = !m_dataSourceObject.isNull();
    if (isViewLoaded())
        reloadData();
}

void PreviewController::setCurrentPreviewItemIndex(int index)
{
    m_index = index;
    if (isViewLoaded())
        showCurrent();
}

void PreviewController::reloadData()
{
    showCurrent();
}

PreviewController::Kind PreviewController::kindOf(const QString &path)
{
    if (!isRegularFile(path))
        return Kind::other;
    const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(path);
    if (type.inherits(QStringLiteral("application/pdf")))
        return Kind::pdf;
    const QString name = type.name();
    if (name.startsWith(QLatin1String("image/"))) {
        const QByteArray format = QImageReader::imageFormat(path);
        if (!format.isEmpty())
            return Kind::image;
    }
    if (name.startsWith(QLatin1String("audio/")) || name.startsWith(QLatin1String("video/")))
        return Kind::media;
    if (type.inherits(QStringLiteral("text/plain")))
        return Kind::text;
    return Kind::other;
}

std::optional<PreviewController::Text> PreviewController::readText(const QString &path, qint64 limit)
{
    // Read through a descriptor known to be a regular file on a real file system, so a file
    // swapped for a FIFO after a check, or one on "/proc", is never waited on.
    const RegularFile file(path);
    if (!file.isOpen())
        return std::nullopt;
    QByteArray bytes;
    bytes.resize(qsizetype(std::clamp<qint64>(file.size(), 0, limit)));
    qint64 got = 0;
    while (got < bytes.size()) {
        const std::int64_t n = file.readAt(got, bytes.data() + got, bytes.size() - got);
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(qsizetype(got));
    char extra = 0;
    const bool more = file.readAt(got, &extra, 1) == 1;

    Text result;
    result.truncated = more;
    result.binary = bytes.contains('\0');
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    // A cut in the middle of a character at the limit is not an encoding error.
    bool valid = !utf8.hasError();
    if (!valid && more) {
        for (int cut = 1; cut <= 3 && !valid && cut < bytes.size(); ++cut) {
            QStringDecoder again(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            text = again.decode(bytes.left(bytes.size() - cut));
            valid = !again.hasError();
        }
    }
    result.text = valid ? text : QString::fromLatin1(bytes);
    return result;
}

QString PreviewController::withBoundedLines(const QString &text, bool *brokeLines)
{
    if (brokeLines)
        *brokeLines = false;
    QString result;
    qsizetype lineStart = 0;
    qsizetype copied = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\n') {
            lineStart = i + 1;
            continue;
        }
        if (i - lineStart < kMaximumLineLength)
            continue;
        // Never between the two halves of a surrogate pair.
        const qsizetype cut = text.at(i).isLowSurrogate() ? i - 1 : i;
        if (cut <= lineStart)
            continue;
        if (result.isEmpty())
            result.reserve(text.size() + text.size() / kMaximumLineLength + 1);
        result.append(QStringView(text).sliced(copied, cut - copied));
        result.append(u'\n');
        copied = cut;
        lineStart = cut;
        if (brokeLines)
            *brokeLines = true;
    }
    if (copied == 0)
        return text;
    result.append(QStringView(text).sliced(copied));
    return result;
}

QImage PreviewController::readImage(const QString &path, QSize box)
{
    if (!isRegularFile(path))
        return {};
    if (!box.isValid() || box.isEmpty())
        box = QSize(kMaximumImageSide, kMaximumImageSide);
    box = box.boundedTo(QSize(kMaximumImageSide, kMaximumImageSide));
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaximumImagePixels)
        return {};
    if (size.isValid() && (size.width() > box.width() || size.height() > box.height())) {
        size.scale(box, Qt::KeepAspectRatio);
        reader.setScaledSize(size.expandedTo(QSize(1, 1)));
    }
    return reader.read();
}

void PreviewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("PreviewController"));
    view->setAutoFillBackground(true);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, Qt::white);
    view->setPalette(palette);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *bar = new QWidget(view);
    bar->setObjectName(QStringLiteral("PreviewBar"));
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(8, 6, 8, 6);
    auto *done = new QPushButton(QStringLiteral("Done"), bar);
    done->setObjectName(QStringLiteral("PreviewDone"));
    done->setFlat(true);
    connect(done, &QPushButton::clicked, this, [this] { dismiss(true); });
    m_titleLabel = makeLabel(QString(), bar, 16, "#000000");
    m_titleLabel->setObjectName(QStringLiteral("PreviewTitle"));
    m_titleLabel->setWordWrap(false);
    m_previous = new QToolButton(bar);
    m_previous->setArrowType(Qt::LeftArrow);
    m_previous->setAccessibleName(QStringLiteral("Previous"));
    m_previous->setAutoRaise(true);
    connect(m_previous, &QToolButton::clicked, this, [this] { setCurrentPreviewItemIndex(m_index - 1); });
    m_next = new QToolButton(bar);
    m_next->setArrowType(Qt::RightArrow);
    m_next->setAccessibleName(QStringLiteral("Next"));
    m_next->setAutoRaise(true);
    connect(m_next, &QToolButton::clicked, this, [this] { setCurrentPreviewItemIndex(m_index + 1); });
    barLayout->addWidget(done);
    barLayout->addWidget(m_titleLabel, 1);
    barLayout->addWidget(m_previous);
    barLayout->addWidget(m_next);
    layout->addWidget(bar);

    m_container = new QWidget(view);
    auto *containerLayout = new QVBoxLayout(m_container);
    containerLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_container, 1);
    setView(view);
    showCurrent();
}

void PreviewController::viewWillDisappear(bool animated)
{
    ViewController::viewWillDisappear(animated);
    // Media stops with the preview.
    if (m_content)
        for (auto *player : m_content->findChildren<QMediaPlayer *>())
            player->stop();
}

void PreviewController::updateBar()
{
    PreviewControllerDataSource *source = dataSource();
    const int count = source ? source->numberOfPreviewItems(this) : 0;
    m_previous->setVisible(count > 1);
    m_next->setVisible(count > 1);
    m_previous->setEnabled(m_index > 0);
    m_next->setEnabled(m_index + 1 < count);
}

void PreviewController::showCurrent()
{
    if (!m_container)
        return;
    PreviewControllerDataSource *source = dataSource();
    const int count = source ? source->numberOfPreviewItems(this) : 0;
    if (count > 0)
        m_index = std::clamp(m_index, 0, count - 1);
    PreviewControllerItem *item = count > 0 ? source->previewItem(this, m_index) : nullptr;
    const QString path = item && item->previewItemURL() ? item->previewItemURL()->toLocalFile() : QString();
    const QString title = item && item->previewItemTitle() ? *item->previewItemTitle() : QFileInfo(path).fileName();
    m_titleLabel->setText(title);
    setTitle(title);
    updateBar();

    if (m_content)
        m_content->deleteLater();
    m_kind = path.isEmpty() ? Kind::other : kindOf(path);
    QWidget *page = nullptr;
    switch (m_kind) {
    case Kind::image:
        page = makeImagePage(path);
        break;
    case Kind::text:
        page = makeTextPage(path);
        break;
    case Kind::pdf:
        page = makePdfPage(path);
        break;
    case Kind::media:
        page = makeMediaPage(path);
        break;
    case Kind::other:
        break;
    }
    if (!page) {
        m_kind = Kind::other;
        page = makeCardPage(path);
    }
    if (page->objectName() == QLatin1String("PreviewCard"))
        m_kind = Kind::other;
    m_content = page;
    m_container->layout()->addWidget(page);
}

QWidget *PreviewController::makeImagePage(const QString &path)
{
    auto *label = new QLabel;
    label->setObjectName(QStringLiteral("PreviewImage"));
    label->setAlignment(Qt::AlignCenter);
    label->setAccessibleName(QFileInfo(path).fileName());
    label->setMinimumSize(1, 1);
    label->setScaledContents(false);
    // Fit to the page while keeping the aspect ratio.
    struct Fitter : QObject
    {
        QPixmap original;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Resize && !original.isNull()) {
                auto *l = static_cast<QLabel *>(watched);
                const QSize target = original.size().boundedTo(l->size());
                l->setPixmap(original.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation));
            }
            return false;
        }
    };
    auto *fitter = new Fitter;
    fitter->setParent(label);
    label->installEventFilter(fitter);

    // Decoded off the GUI thread, at the size the page can show: a huge picture takes its time
    // without freezing the window. A picture that gives nothing turns into the card.
    const qreal ratio = m_container->devicePixelRatioF();
    const QSize window = m_container->window() ? m_container->window()->size() : m_container->size();
    const QSize box = (window.expandedTo(m_container->size()) * ratio).expandedTo(QSize(1, 1));
    auto *watcher = new QFutureWatcher<QImage>(label);
    QPointer<QLabel> page(label);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, page, fitter, path] {
        const QImage image = watcher->result();
        if (!page)
            return;
        if (image.isNull()) {
            if (m_content != page)
                return;
            QWidget *card = makeCardPage(path);
            // The layout hands back the page's old item, which is ours to delete.
            delete m_container->layout()->replaceWidget(page, card);
            page->deleteLater();
            m_content = card;
            m_kind = Kind::other;
            return;
        }
        fitter->original = QPixmap::fromImage(image);
        const QSize target = fitter->original.size().boundedTo(page->size());
        page->setPixmap(fitter->original.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    });
    watcher->setFuture(QtConcurrent::run([path, box] { return readImage(path, box); }));
    return label;
}

QWidget *PreviewController::makeTextPage(const QString &path)
{
    const std::optional<Text> text = readText(path);
    if (!text)
        return nullptr;
    if (text->binary)
        return makeCardPage(path, QStringLiteral("This file holds binary data, not text."));
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *edit = new QPlainTextEdit(page);
    edit->setObjectName(QStringLiteral("PreviewText"));
    edit->setReadOnly(true);
    bool brokeLines = false;
    edit->setPlainText(withBoundedLines(text->text, &brokeLines));
    edit->setAccessibleName(QFileInfo(path).fileName());
    layout->addWidget(edit, 1);
    QStringList notes;
    if (text->truncated)
        notes.append(QStringLiteral("Only the first 1 MB of this file is shown; the rest is cut."));
    if (brokeLines)
        notes.append(QStringLiteral("Very long lines are shown broken into several."));
    if (!notes.isEmpty()) {
        auto *note = makeLabel(notes.join(u' '), page, 13, "#999999");
        note->setObjectName(QStringLiteral("PreviewTruncated"));
        layout->addWidget(note);
    }
    return page;
}

QWidget *PreviewController::makePdfPage(const QString &path)
{
    auto *page = new QWidget;
    auto *document = new QPdfDocument(page);
    if (document->load(path) != QPdfDocument::Error::None || document->pageCount() < 1) {
        delete page;
        return makeCardPage(path, QStringLiteral("This PDF document cannot be shown."));
    }
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *pdf = new QPdfView(page);
    pdf->setObjectName(QStringLiteral("PreviewPdf"));
    pdf->setDocument(document);
    pdf->setPageMode(QPdfView::PageMode::MultiPage);
    pdf->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    layout->addWidget(pdf);
    return page;
}

QWidget *PreviewController::makeMediaPage(const QString &path)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *video = new QVideoWidget(page);
    video->setObjectName(QStringLiteral("PreviewVideo"));
    layout->addWidget(video, 1);
    auto *controls = new QHBoxLayout;
    auto *play = new QToolButton(page);
    play->setObjectName(QStringLiteral("PreviewPlay"));
    play->setText(QStringLiteral("Play"));
    play->setAccessibleName(QStringLiteral("Play"));
    auto *slider = new QSlider(Qt::Horizontal, page);
    slider->setObjectName(QStringLiteral("PreviewPosition"));
    slider->setAccessibleName(QStringLiteral("Position"));
    controls->addWidget(play);
    controls->addWidget(slider, 1);
    layout->addLayout(controls);

    auto *player = new QMediaPlayer(page);
    auto *output = new QAudioOutput(page);
    player->setAudioOutput(output);
    player->setVideoOutput(video);
    player->setSource(QUrl::fromLocalFile(path));
    connect(play, &QToolButton::clicked, player, [player] {
        if (player->playbackState() == QMediaPlayer::PlayingState) {
            player->pause();
        } else {
            if (pauseHook())
                pauseHook()();
            player->play();
        }
    });
    connect(player, &QMediaPlayer::playbackStateChanged, play, [play](QMediaPlayer::PlaybackState state) {
        const QString text = state == QMediaPlayer::PlayingState ? QStringLiteral("Pause") : QStringLiteral("Play");
        play->setText(text);
        play->setAccessibleName(text);
    });
    connect(player, &QMediaPlayer::durationChanged, slider, [slider](qint64 ms) { slider->setRange(0, int(ms)); });
    connect(player, &QMediaPlayer::positionChanged, slider, [slider](qint64 ms) {
        if (!slider->isSliderDown())
            slider->setValue(int(ms));
    });
    connect(slider, &QSlider::sliderMoved, player, [player](int ms) { player->setPosition(ms); });
    return page;
}

QWidget *PreviewController::makeCardPage(const QString &path, const QString &note)
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PreviewCard"));
    auto *layout = new QVBoxLayout(page);
    layout->addStretch();
    const QFileInfo info(path);
    auto *icon = new QLabel(page);
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(QFileIconProvider().icon(info).pixmap(96, 96));
    layout->addWidget(icon);
    layout->addWidget(makeLabel(info.fileName(), page, 17, "#000000"));
    QStringList facts;
    struct stat st {};
    const bool exists = ::lstat(QFile::encodeName(path).constData(), &st) == 0;
    if (exists && S_ISREG(st.st_mode))
        facts.append(QLocale().formattedDataSize(qint64(st.st_size)));
    const QMimeDatabase db;
    QString type;
    if (!exists)
        type = QStringLiteral("Missing file");
    else if (S_ISDIR(st.st_mode))
        type = QStringLiteral("Folder");
    else if (S_ISFIFO(st.st_mode))
        type = QStringLiteral("Pipe");
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        type = QStringLiteral("Device");
    else if (S_ISSOCK(st.st_mode))
        type = QStringLiteral("Socket");
    else if (S_ISLNK(st.st_mode))
        type = QStringLiteral("Link");
    else
        type = db.mimeTypeForFile(path).comment();
    facts.append(type);
    auto *factsLabel = makeLabel(facts.join(QStringLiteral(" · ")), page, 14, "#999999");
    factsLabel->setObjectName(QStringLiteral("PreviewFacts"));
    layout->addWidget(factsLabel);
    if (!note.isEmpty())
        layout->addWidget(makeLabel(note, page, 13, "#999999"));
    layout->addStretch();
    return page;
}

} // namespace tarnik
