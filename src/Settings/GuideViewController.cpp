#include "Settings/GuideViewController.h"

#include "App/Globals.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationItem.h"
#include "Settings/PreferenceViewController.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tarnik {

GuideViewController::GuideViewController(QObject *parent)
    : ViewController(parent)
{
}

QStringList GuideViewController::instructionTexts()
{
    return {
        _localizedString(QStringLiteral("Browse: the Files tab shows your whole file system from \"/\". Tap a folder "
                                        "to open it and a media file to play it in the mini player.")),
        _localizedString(QStringLiteral("Import: tap Edit, choose up to 10 media files and tap Import, then pick "
                                        "where they go: Music, Ringtones, Podcasts, Videos and more.")),
        _localizedString(QStringLiteral("Edit before importing: open a single file with Share to change its title, "
                                        "artist and artwork, trim the audio or set its volume.")),
        _localizedString(QStringLiteral("Unsupported audio: files the library cannot read are offered a conversion "
                                        "into an AAC copy (.m4a) beside the original.")),
        _localizedString(QStringLiteral("Ringtones: the Ringtones tab lists the ringtones you created. Tap one to "
                                        "rename it, or use Edit to delete it.")),
        _localizedString(QStringLiteral("The companion service performs every import. Keep it running; when imports "
                                        "do not appear, restart it and try again.")),
    };
}

void GuideViewController::loadView()
{
    auto *root = new QScrollArea;
    root->setObjectName(QStringLiteral("GuideView"));
    root->setWidgetResizable(true);
    root->setFrameShape(QFrame::NoFrame);
    root->setStyleSheet(QStringLiteral("QScrollArea, #GuideContent { background: white; }"));
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("GuideContent"));
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);

    m_stackView = new QWidget(content);
    m_stackView->setObjectName(QStringLiteral("stackView"));
    auto *stack = new QVBoxLayout(m_stackView);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(14);
    for (const QString &text : instructionTexts()) {
        auto *label = new QLabel(text, m_stackView);
        label->setWordWrap(true);
        label->setStyleSheet(QStringLiteral("color: #333333;"));
        stack->addWidget(label);
    }
    layout->addWidget(m_stackView);

    m_videoButton = new QPushButton(_localizedString(QStringLiteral("Watch the Video Tutorial")), content);
    m_videoButton->setObjectName(QStringLiteral("videoButton"));
    m_videoButton->setCursor(Qt::PointingHandCursor);
    m_videoButton->setMinimumHeight(44);
    m_videoButton->setStyleSheet(QStringLiteral("QPushButton { border: 1px solid #0aa9ff; border-radius: 5px; "
                                                "background: transparent; color: #0aa9ff; padding: 8px; }"
                                                "QPushButton:disabled { border-color: #c8c8c8; color: #b4b4b4; }"));
    connect(m_videoButton, &QPushButton::clicked, this, &GuideViewController::viewVideoTutorial);
    m_videoButton->setEnabled(PreferenceViewController::Constants::hasTutorialPage());
    layout->addWidget(m_videoButton);
    layout->addStretch(1);
    root->setWidget(content);
    setView(root);
}

void GuideViewController::viewDidLoad()
{
    ViewController::viewDidLoad();
    setTitle(_localizedString(QStringLiteral("Instructions")));
    auto *done = new BarButtonItem(
        _localizedString(QStringLiteral("Done")), BarButtonItem::Style::done, [this](BarButtonItem *) { close(); },
        this);
    navigationItem()->setRightBarButtonItem(done);
    // Direct label children of the stack get a looser line spacing.
    for (QObject *child : m_stackView->children()) {
        auto *label = qobject_cast<QLabel *>(child);
        if (!label)
            continue;
        const QString plain = label->text();
        label->setAccessibleName(plain);
        label->setTextFormat(Qt::RichText);
        label->setText(
            QStringLiteral("<div style=\"line-height: 130%;\">") + plain.toHtmlEscaped() + QStringLiteral("</div>"));
    }
}

void GuideViewController::close()
{
    ViewController *presented = navigationController() ? static_cast<ViewController *>(navigationController()) : this;
    presented->dismiss(true);
}

void GuideViewController::viewVideoTutorial()
{
    PreferenceViewController::viewVideoTutorial();
}

} // namespace tarnik
