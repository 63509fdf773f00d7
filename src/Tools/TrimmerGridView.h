#pragma once

#include <QColor>
#include <QList>
#include <QWidget>

namespace tarnik {

// The graph-paper background behind the trimmer's position slider: evenly
// spaced horizontal and vertical hairlines in two light greys, with half the
// vertical lines in portrait. Any property change redraws it. A count of 0
// draws no line; a count of 1 draws one line at the first position. A
// negative count is a programming error and stops the program. GUI thread.
class TrimmerGridView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int horizontalLineCount READ horizontalLineCount WRITE setHorizontalLineCount)
    Q_PROPERTY(int verticalLineCount READ verticalLineCount WRITE setVerticalLineCount)
    Q_PROPERTY(double verticalPadding READ verticalPadding WRITE setVerticalPadding)
    Q_PROPERTY(double horizontalPadding READ horizontalPadding WRITE setHorizontalPadding)
    Q_PROPERTY(double horizontalLineWidth READ horizontalLineWidth WRITE setHorizontalLineWidth)
    Q_PROPERTY(double verticalLineWidth READ verticalLineWidth WRITE setVerticalLineWidth)
    Q_PROPERTY(QColor colorHorizontal READ colorHorizontal WRITE setColorHorizontal)
    Q_PROPERTY(QColor colorVertical READ colorVertical WRITE setColorVertical)

public:
    explicit TrimmerGridView(QWidget *parent = nullptr);

    int horizontalLineCount() const { return m_horizontalLineCount; }
    void setHorizontalLineCount(int count);
    int verticalLineCount() const { return m_verticalLineCount; }
    void setVerticalLineCount(int count);
    double verticalPadding() const { return m_verticalPadding; }
    void setVerticalPadding(double padding);
    double horizontalPadding() const { return m_horizontalPadding; }
    void setHorizontalPadding(double padding);
    double horizontalLineWidth() const { return m_horizontalLineWidth; }
    void setHorizontalLineWidth(double width);
    double verticalLineWidth() const { return m_verticalLineWidth; }
    void setVerticalLineWidth(double width);
    QColor colorHorizontal() const { return m_colorHorizontal; }
    void setColorHorizontal(const QColor &color);
    QColor colorVertical() const { return m_colorVertical; }
    void setColorVertical(const QColor &color);

    // Where the lines of a rectangle of that height (width) lie.
    QList<double> horizontalLinePositions(double height) const;
    QList<double> verticalLinePositions(double width, bool portrait) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_horizontalLineCount = 15;
    int m_verticalLineCount = 25;
    double m_verticalPadding = 10;
    double m_horizontalPadding = 30;
    double m_horizontalLineWidth = 0.6;
    double m_verticalLineWidth = 0.3;
    QColor m_colorHorizontal;
    QColor m_colorVertical;
};

} // namespace tarnik
