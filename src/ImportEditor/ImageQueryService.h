#pragma once

#include "App/UserManagerError.h"
#include "ImportEditor/Image.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

using ImageList = QList<std::shared_ptr<Image>>;
// (results, error, reply title, reply message). Results are absent when the
// term was empty or the request failed before a reply object existed.
using ImageSearchCompletion
    = std::function<void(const std::optional<ImageList> &results, const std::optional<UserManagerError> &error,
        const std::optional<QString> &title, const std::optional<QString> &message)>;

// Turns a search term into one artwork query to the web service (through
// UserManager::shared()) and the reply into results. The search screen owns
// one for its whole life. GUI thread only; the completion runs on the GUI
// thread exactly once per fetchImages() call (synchronously for an empty term).
class ImageQueryService
{
public:
    ImageQueryService();
    virtual ~ImageQueryService();

    // The results of the latest reply, in reply order.
    const ImageList &images() const { return m_state->images; }

    // Cancels the shared client's query in flight (whose completion then
    // reports dataTaskError) and posts "term=" + cleanedUp(term).
    virtual void fetchImages(const QString &term, ImageSearchCompletion completion);
    virtual void cancelFetch();

    // The term as the query's value: blanks become "+", percent escapes are
    // decoded (en dashes and "/" become "-"), the rest is percent-encoded
    // outside the URL-host set, and "+albums" is appended.
    static QString cleanedUp(const QString &term);

    // Reads a reply object into images() and calls the completion.
    void updateSearchResults(const QVariantMap &reply, const ImageSearchCompletion &completion);

private:
    struct State
    {
        ImageList images;
    };
    static void updateSearchResults(State *state, const QVariantMap &reply, const ImageSearchCompletion &completion);

    // Shared with the queries in flight, which outlive a service whose screen
    // went away: they still complete, and store nothing.
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace tarnik
