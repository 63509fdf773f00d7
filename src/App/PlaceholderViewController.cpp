#include "App/PlaceholderViewController.h"

#include "App/Constants.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tarnik {

PlaceholderViewController::PlaceholderViewController(const QString &title, QObject *parent)
    : ViewController(parent)
{
    setTitle(title);
}

void PlaceholderViewController::loadView()
{
    auto *view = new QWidget;
    view->setAutoFillBackground(true);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, Qt::white);
    view->setPalette(palette);
    auto *layout = new QVBoxLayout(view);
    layout->addStretch();
    auto *heading = new QLabel(title(), view);
    heading->setObjectName(QStringLiteral("PlaceholderTitle"));
    heading->setAlignment(Qt::AlignCenter);
    QFont font = Common::defaultFont();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    heading->setFont(font);
    heading->setStyleSheet(QStringLiteral("color: #000000;"));
    auto *note = new QLabel(QStringLiteral("This screen is not built yet."), view);
    note->setAlignment(Qt::AlignCenter);
    note->setFont(Common::defaultFont());
    note->setStyleSheet(QStringLiteral("color: #999999;"));
    layout->addWidget(heading);
    layout->addWidget(note);
    layout->addStretch();
    setView(view);
}

} // namespace tarnik
