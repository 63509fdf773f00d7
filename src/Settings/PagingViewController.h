#pragma once

#include "Platform/UI/ScrollView.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/ViewController.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QTransform>

class QLabel;
class QPushButton;

namespace tarnik {

class PageControl;

// The guide: five slides side by side in a horizontally paging scroll view
// with a page control. While the user drags, backgrounds and texts
// cross-fade and pictures and button rows slide and scale (parallax()).
// The buttons open the web page, the video tutorial, the instructions page
// and the support mail. On the phone profile it locks the orientation to
// portrait while it shows; it hides a shown mini player and brings it back
// when it leaves. It is the tab bar controller's delegate once loaded.
// GUI thread only.
class PagingViewController : public ViewController, public ScrollViewDelegate, public TabBarControllerDelegate
{
    Q_OBJECT
public:
    static constexpr int kSlideCount = 5;

    // What one scroll event does to the slides' views, by tag (slide number).
    // Views not named keep what they have.
    struct Parallax
    {
        int page = 0; // i
        double progress = 0.0; // p
        QMap<int, double> backgroundAlpha;
        QMap<int, double> detailAlpha;
        QMap<int, QTransform> buttonsTransform;
        QMap<int, QTransform> imageTransform;
    };
    // x: the pager's content offset; pagerWidth: its frame width; viewWidth:
    // the guide's width; maxLength: the longer side of the screen.
    static Parallax parallax(double x, double pagerWidth, double viewWidth, double maxLength);
    // x / width truncated toward zero; 0 when the width is 0 or the quotient
    // is not finite.
    static int visiblePageIndex(double x, double width);

    explicit PagingViewController(QObject *parent = nullptr);

    ScrollView *scrollView() const { return m_scrollView; }
    PageControl *pageControl() const { return m_pageControl; }
    const QList<QWidget *> &backgroundViews() const { return m_backgrounds; }
    const QList<QLabel *> &titleLabels() const { return m_titleLabels; }
    const QList<QLabel *> &detailLabels() const { return m_detailLabels; }
    // Slides 1 to 4.
    const QList<QWidget *> &buttonsStackViews() const { return m_buttonRows; }
    // Slides 0, 2, 3 and 4.
    const QList<QLabel *> &imageViews() const { return m_imageViews; }
    int visiblePageIndex() const;
    double buttonsHeight() const { return m_buttonsHeight; }
    bool restoreMiniPlayerView = false;
    bool shouldRotateBackToPortraitIfRequired = false;

    // The transform a view of the slides currently has (identity when none).
    QTransform transformOf(const QWidget *view) const;
    double alphaOf(const QWidget *view) const;

    void viewTarnikWebpage();
    void viewVideoTutorial();
    void viewInstructions();
    void sendMail();

    void scrollViewDidScroll(ScrollView *scrollView) override;
    void scrollViewDidEndDecelerating(ScrollView *scrollView) override;
    bool shouldSelect(TabBarController *tabBarController, ViewController *viewController) override;

    void viewWillTransition(const QSizeF &size) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidLayoutSubviews() override;

private:
    // Pixel sizes of the slides' type and the height of their button rows.
    struct TypeSizes
    {
        int title;
        int text;
        int button;
        double buttonsHeight;
    };
    static constexpr int kPageControlHeight = 37;
    static constexpr int kSmallestType = 13;
    static TypeSizes designTypeSizes();
    void applyTypeSizes(const TypeSizes &sizes);
    bool buttonRowsFit(int width) const;
    bool slidesFit(int width, int height, int imageSide) const;

    void applyParallax(const Parallax &parallax);
    void setTransform(QWidget *view, const QTransform &transform);
    void setAlpha(QWidget *view, double alpha);
    void layoutSlides();
    void setPagerAlpha(double alpha);

    QPointer<ScrollView> m_scrollView;
    QPointer<PageControl> m_pageControl;
    QList<QWidget *> m_backgrounds;
    QList<QWidget *> m_slides;
    QList<QLabel *> m_titleLabels;
    QList<QLabel *> m_detailLabels;
    QList<QWidget *> m_buttonRows;
    QList<QLabel *> m_imageViews;
    QMap<const QWidget *, QRect> m_baseGeometry;
    QMap<const QWidget *, QTransform> m_transforms;
    double m_buttonsHeight = 48.0;
    double m_pagerAlpha = 1.0;
};

// The dots under the guide's pager; the current one is filled. Tells
// assistive technologies "Page n of m".
class PageControl : public QWidget
{
    Q_OBJECT
public:
    explicit PageControl(QWidget *parent = nullptr);
    int numberOfPages() const { return m_pages; }
    void setNumberOfPages(int pages);
    int currentPage() const { return m_current; }
    void setCurrentPage(int page);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_pages = 0;
    int m_current = 0;
};

} // namespace tarnik
