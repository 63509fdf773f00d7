#pragma once

#include "Platform/UI/ViewController.h"

namespace tarnik {

// Stands in for a tab whose screens are not built yet: it shows the tab's
// title and says so.
class PlaceholderViewController : public ViewController
{
    Q_OBJECT
public:
    explicit PlaceholderViewController(const QString &title = {}, QObject *parent = nullptr);

protected:
    void loadView() override;
};

} // namespace tarnik
