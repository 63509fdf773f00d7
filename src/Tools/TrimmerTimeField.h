#pragma once

#include <QColor>
#include <QLineEdit>

namespace tarnik {

// A time field of the trimmer: while it is not being edited it shows its
// time text with the millisecond digits in the accent colour; while editing
// it is a plain line edit. Its tag tells the start (0) from the end (1).
// GUI thread only.
class TrimmerTimeField : public QLineEdit
{
    Q_OBJECT

public:
    explicit TrimmerTimeField(int tag, QWidget *parent = nullptr);

    int tag() const { return m_tag; }
    static QColor accentColor(); // "25b2cc"
    static int accentLength(); // the millisecond digits at the end of a time text

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_tag;
};

} // namespace tarnik
