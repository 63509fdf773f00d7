#pragma once

#include "Platform/UI/TabBar.h"

namespace tarnik {

// The root tab bar. On a regular width it shows titles under the icons; on a
// compact one only the icons, lowered by 6 points, with the titles moved far
// outside the bar. Its items are page tabs named by their titles for
// accessibility. It does not clip, so the mini player's shadow can reach over it.
class CustomTabBar : public TabBar
{
    Q_OBJECT
public:
    explicit CustomTabBar(QWidget *parent = nullptr);

protected:
    void layoutItems() override;
};

} // namespace tarnik
