#pragma once

#include "ImportEditor/ImageQueryService.h"
#include "ImportEditor/ImageViewerControllerDelegate.h"
#include "Platform/UI/CollectionView.h"
#include "Platform/UI/ViewController.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <optional>

namespace tarnik {

class BarButtonItem;
class ImageQueryControllerDelegate;
class LoaderView;

// The artwork search: searches the web service for a term each time it is
// about to come on screen (and whenever the term is set while it is shown),
// shows the covers as a grid of squares, opens one full size in the image
// viewer and hands the picture chosen there to its delegate. A search bar
// slides in from the magnifier button or a pull past the top of the grid.
//
// Shown inside a navigation controller; the presenter sets the delegate and
// then the term. A search that a newer one replaced is ignored when it ends;
// the results and the grid change together. GUI thread only.
class ImageQueryController : public ViewController,
                             public CollectionViewDataSource,
                             public CollectionViewDelegateFlowLayout,
                             public ImageViewerControllerDelegate
{
    Q_OBJECT
    Q_PROPERTY(double searchViewHeightConstant READ searchViewHeightConstant WRITE setSearchViewHeightConstant)
public:
    // The full height of the search bar.
    static constexpr double kSearchViewHeight = 52.0;
    static constexpr double kLineSpacing = 2.0;

    explicit ImageQueryController(QObject *parent = nullptr);
    ~ImageQueryController() override;

    ImageQueryControllerDelegate *delegate() const;
    void setDelegate(ImageQueryControllerDelegate *delegate);
    std::optional<QString> searchTerm() const { return m_searchTerm; }
    // Stores the term; searches at once when the screen is in a window.
    void setSearchTerm(const std::optional<QString> &term);

    const ImageList &images() const { return m_images; }
    ImageQueryService &queryService() { return *m_queryService; }

    CollectionView *collectionView() const { return m_collectionView; }
    QLabel *noticeLabel() const { return m_noticeLabel; }
    QWidget *searchView() const { return m_searchView; }
    QWidget *tapGestureView() const { return m_tapGestureView; }
    QLineEdit *searchTextField() const { return m_searchTextField; }
    double searchViewHeight() const { return m_searchViewHeight; }
    double searchViewHeightConstant() const { return m_searchViewHeightConstant; }
    void setSearchViewHeightConstant(double height);
    bool isAnimating() const { return m_isAnimating; }
    // A new magnifier item each time it is read.
    BarButtonItem *searchBarButtonItem();

    void search();
    void setSearchViewVisible(bool visible);
    void enterSearchMode();
    void exitSearchMode();
    void cancelButtonTapped();
    void searchIconTapped();
    void textFieldShouldReturn();

    double numberOfColumns() const;
    double itemSide() const;
    // The column rule: pads 3 in portrait and 4 otherwise; phones 4 with a
    // regular width or as the tall phone in landscape, else 3.
    static double columns(bool isPad, bool isPortrait, bool regularWidth, bool isIPhoneX);

    // CollectionViewDataSource
    int numberOfItems(CollectionView *, int section) override;
    CollectionViewCell *cellForItem(CollectionView *, const IndexPath &indexPath) override;
    // CollectionViewDelegateFlowLayout
    void didSelectItem(CollectionView *, const IndexPath &indexPath) override;
    std::optional<QSizeF> sizeForItem(CollectionView *, const IndexPath &) override;
    std::optional<EdgeInsets> insetForSection(CollectionView *, int) override;
    std::optional<double> minimumLineSpacing(CollectionView *, int) override;
    std::optional<double> minimumInteritemSpacing(CollectionView *, int) override;
    void scrollViewWillBeginDragging(ScrollView *) override;
    void scrollViewDidEndDragging(ScrollView *, bool) override;
    void scrollViewDidScroll(ScrollView *) override;
    // ImageViewerControllerDelegate
    void imageViewerDidSelect(const QImage &image) override;

    void viewWillTransition(const QSizeF &size) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void layoutChildViews() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showNotice(const QString &text);

    QPointer<CollectionView> m_collectionView;
    QPointer<QLabel> m_noticeLabel;
    QPointer<QWidget> m_shadowLine;
    QPointer<QWidget> m_searchView;
    QPointer<QWidget> m_tapGestureView;
    QPointer<QLineEdit> m_searchTextField;
    double m_searchViewHeight = kSearchViewHeight;
    double m_searchViewHeightConstant = kSearchViewHeight;
    bool m_isAnimating = false;
    double m_lastContentOffset = 0.0;
    bool m_didBeginScrolling = false;
    ImageList m_images;
    std::unique_ptr<ImageQueryService> m_queryService;
    ImageQueryControllerDelegate *m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    bool m_delegateIsObject = false;
    std::optional<QString> m_searchTerm;
    // Counts searches; a completion of any but the latest is ignored.
    quint64 m_searchGeneration = 0;
    // One loader per search; hidden ones are deleted when the next search
    // starts and the rest with the screen.
    QList<QPointer<LoaderView>> m_loaders;
};

} // namespace tarnik
