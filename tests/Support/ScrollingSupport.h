#pragma once

// Helpers for tests of the scrolling views: a cell that shows its item, a
// model-backed data source and delegate that log what they hear, and
// synthetic drags on the animation driver's clock.

#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/CollectionView.h"
#include "Platform/UI/ScrollView.h"

#include <QLabel>
#include <QStringList>
#include <QTest>
#include <functional>

namespace tarnik::test {

inline QString pathText(const IndexPath &ip)
{
    return QStringLiteral("%1.%2").arg(ip.section).arg(ip.item);
}

inline QString pathsText(const QList<IndexPath> &paths)
{
    QStringList parts;
    for (const IndexPath &ip : paths)
        parts.append(pathText(ip));
    return parts.join(QLatin1Char(','));
}

// A cell that shows the text it was configured with and logs its reuse.
class TextCell : public CollectionViewCell
{
    Q_OBJECT
public:
    explicit TextCell(QWidget *parent = nullptr)
        : CollectionViewCell(parent)
        , label(new QLabel(contentView()))
    {
    }
    void prepareForReuse() override
    {
        CollectionViewCell::prepareForReuse();
        ++reuseCount;
        label->clear();
        if (log)
            log->append(QStringLiteral("prepareForReuse"));
    }
    QLabel *label;
    int reuseCount = 0;
    QStringList *log = nullptr;
};

class OtherCell : public CollectionViewCell
{
    Q_OBJECT
public:
    using CollectionViewCell::CollectionViewCell;
};

class FooterView : public CollectionReusableView
{
    Q_OBJECT
public:
    using CollectionReusableView::CollectionReusableView;
    QString text;
};

// Sections of item texts; the logged calls use "section.item".
class RecordingGrid : public CollectionViewDataSource,
                      public CollectionViewDelegateFlowLayout,
                      public CollectionViewDataSourcePrefetching
{
public:
    QList<QStringList> sections;
    QStringList log;
    QSizeF itemSize { 100, 100 };
    EdgeInsets inset;
    double lineSpacing = 10;
    double interitemSpacing = 10;
    QSizeF footerSize;
    bool logScrolls = false;
    std::function<bool(const IndexPath &)> shouldSelect;
    std::function<void(ScrollView *)> onScroll;

    int numberOfSections(CollectionView *) override { return int(sections.size()); }
    int numberOfItems(CollectionView *, int section) override { return int(sections.value(section).size()); }
    CollectionViewCell *cellForItem(CollectionView *view, const IndexPath &ip) override
    {
        auto *cell = view->dequeueReusableCell<TextCell>(QStringLiteral("TextCell"), ip);
        cell->log = &log;
        cell->label->setText(sections[ip.section][ip.item]);
        log.append(QStringLiteral("cell ") + pathText(ip));
        return cell;
    }
    CollectionReusableView *viewForSupplementaryElement(
        CollectionView *view, const QString &kind, const IndexPath &ip) override
    {
        auto *footer = view->dequeueReusableSupplementaryView<FooterView>(kind, QStringLiteral("Footer"), ip);
        footer->text = QStringLiteral("%1 items").arg(sections[ip.section].size());
        log.append(QStringLiteral("footer ") + QString::number(ip.section));
        return footer;
    }
    void prefetchItems(CollectionView *, const QList<IndexPath> &paths) override
    {
        log.append(QStringLiteral("prefetch ") + pathsText(paths));
    }
    void cancelPrefetchingForItems(CollectionView *, const QList<IndexPath> &paths) override
    {
        log.append(QStringLiteral("cancel ") + pathsText(paths));
    }
    void willDisplayCell(CollectionView *, CollectionViewCell *cell, const IndexPath &ip) override
    {
        auto *text = qobject_cast<TextCell *>(cell);
        log.append(QStringLiteral("willDisplay ") + pathText(ip) + QLatin1Char(' ')
            + (text ? text->label->text() : QString()));
    }
    void didEndDisplayingCell(CollectionView *, CollectionViewCell *, const IndexPath &ip) override
    {
        log.append(QStringLiteral("didEnd ") + pathText(ip));
    }
    bool shouldSelectItem(CollectionView *, const IndexPath &ip) override
    {
        log.append(QStringLiteral("shouldSelect ") + pathText(ip));
        return shouldSelect ? shouldSelect(ip) : true;
    }
    void didSelectItem(CollectionView *, const IndexPath &ip) override
    {
        log.append(QStringLiteral("didSelect ") + pathText(ip));
    }
    bool shouldDeselectItem(CollectionView *, const IndexPath &ip) override
    {
        log.append(QStringLiteral("shouldDeselect ") + pathText(ip));
        return true;
    }
    void didDeselectItem(CollectionView *, const IndexPath &ip) override
    {
        log.append(QStringLiteral("didDeselect ") + pathText(ip));
    }
    std::optional<QSizeF> sizeForItem(CollectionView *, const IndexPath &) override { return itemSize; }
    std::optional<EdgeInsets> insetForSection(CollectionView *, int) override { return inset; }
    std::optional<double> minimumLineSpacing(CollectionView *, int) override { return lineSpacing; }
    std::optional<double> minimumInteritemSpacing(CollectionView *, int) override { return interitemSpacing; }
    std::optional<QSizeF> referenceSizeForFooter(CollectionView *, int) override { return footerSize; }

    void scrollViewDidScroll(ScrollView *view) override
    {
        if (logScrolls)
            log.append(QStringLiteral("didScroll %1").arg(view->contentOffset().y()));
        if (onScroll)
            onScroll(view);
    }
    void scrollViewWillBeginDragging(ScrollView *) override { log.append(QStringLiteral("willBeginDragging")); }
    void scrollViewDidEndDragging(ScrollView *, bool decelerate) override
    {
        log.append(QStringLiteral("didEndDragging ") + (decelerate ? QStringLiteral("true") : QStringLiteral("false")));
    }
    void scrollViewWillBeginDecelerating(ScrollView *) override { log.append(QStringLiteral("willBeginDecelerating")); }
    void scrollViewDidEndDecelerating(ScrollView *) override { log.append(QStringLiteral("didEndDecelerating")); }
    void scrollViewDidEndScrollingAnimation(ScrollView *) override
    {
        log.append(QStringLiteral("didEndScrollingAnimation"));
    }

    // The log without the entries that start with any of the prefixes.
    QStringList logWithout(const QStringList &prefixes) const
    {
        QStringList out;
        for (const QString &line : log) {
            bool skip = false;
            for (const QString &p : prefixes)
                skip = skip || line.startsWith(p);
            if (!skip)
                out.append(line);
        }
        return out;
    }
    QStringList logWith(const QString &prefix) const
    {
        QStringList out;
        for (const QString &line : log) {
            if (line.startsWith(prefix))
                out.append(line);
        }
        return out;
    }
};

inline QStringList numberedItems(int count, const QString &prefix = QStringLiteral("item "))
{
    QStringList items;
    items.reserve(count);
    for (int i = 0; i < count; ++i)
        items.append(prefix + QString::number(i));
    return items;
}

// A finger drag with real mouse events: down at `from`, `steps` moves of
// `stepTime` seconds each to `to`, then up (after `holdTime` at rest).
inline void drag(
    QWidget *widget, QPoint from, QPoint to, int steps = 10, double stepTime = 0.016, double holdTime = 0.0)
{
    auto &driver = AnimationDriver::shared();
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    for (int i = 1; i <= steps; ++i) {
        driver.advance(stepTime);
        const QPoint p = from + (to - from) * i / steps;
        QMouseEvent move(QEvent::MouseMove, QPointF(p), widget->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::LeftButton,
            Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    if (holdTime > 0.0)
        driver.advance(holdTime);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

} // namespace tarnik::test
