#pragma once

#include <QString>
#include <QUrl>
#include <memory>
#include <optional>

namespace tarnik {

// Hands a URL to the desktop (the user's browser, mail client, …) and tells
// whether a handler is registered for a URL scheme. Tests install a fake
// with setShared(), so that no test opens anything on the desktop. GUI thread.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    // False when nothing could take the URL.
    virtual bool openUrl(const QUrl &url) = 0;
    // Whether a desktop entry is registered for "x-scheme-handler/<scheme>".
    virtual bool canOpenScheme(const QString &scheme) = 0;

    // The text as a web address (http or https, with a host); none for anything else,
    // an empty text included. Buttons whose address is not one are disabled.
    static std::optional<QUrl> webAddress(const QString &text);

    static UrlOpener &shared();
    // Replaces the shared opener; none restores the desktop one.
    static void setShared(std::shared_ptr<UrlOpener> opener);
};

// QDesktopServices, and the XDG desktop entries and mimeapps.list files for
// the scheme handlers.
class DesktopUrlOpener : public UrlOpener
{
public:
    bool openUrl(const QUrl &url) override;
    bool canOpenScheme(const QString &scheme) override;
};

} // namespace tarnik
