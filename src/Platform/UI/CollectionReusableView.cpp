#include "Platform/UI/CollectionReusableView.h"

namespace tarnik {

CollectionReusableView::CollectionReusableView(QWidget *parent)
    : QWidget(parent)
{
}

} // namespace tarnik
