#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace tarnik {

// A view a collection view hands out again and again: a cell or a
// supplementary view (a section footer, say). The collection view makes it
// with the factory registered for its reuse identifier, shows it for one
// index path at a time and calls prepareForReuse() before handing it out for
// another one. Subclasses declare Q_OBJECT: the class name is what a wrong
// configuration is reported with. GUI thread only.
class CollectionReusableView : public QWidget
{
    Q_OBJECT
public:
    explicit CollectionReusableView(QWidget *parent = nullptr);

    QString reuseIdentifier() const { return m_reuseIdentifier; }
    void setReuseIdentifier(const QString &identifier) { m_reuseIdentifier = identifier; }

    // Called before the view is handed out again; overrides call the base.
    virtual void prepareForReuse() { }

    // The toolkit's tint: subclasses recolour themselves in the setter.
    QColor tintColor() const { return m_tintColor; }
    virtual void setTintColor(const QColor &color) { m_tintColor = color; }

private:
    QString m_reuseIdentifier;
    QColor m_tintColor = QColor(0x00, 0x7a, 0xff);
};

} // namespace tarnik
