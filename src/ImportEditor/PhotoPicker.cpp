#include "ImportEditor/PhotoPicker.h"

#include "App/Globals.h"

#include <QFileDialog>
#include <QImageReader>
#include <QPointer>
#include <QStandardPaths>

namespace tarnik {

namespace {

class FileDialogPicker : public PhotoPicker
{
public:
    void pick(QWidget *parent, std::function<void(std::optional<QImage>)> done) override
    {
        auto *dialog = new QFileDialog(parent, _localizedString(QStringLiteral("Search Photo Library")),
            QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setNameFilter(_localizedString(QStringLiteral("Images")) + QStringLiteral(
            " (*.png *.jpg *.jpeg *.gif *.bmp *.webp *.tif *.tiff *.heic)"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        auto reply = std::make_shared<std::function<void(std::optional<QImage>)>>(std::move(done));
        QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [reply](const QString &file) {
            if (*reply)
                std::exchange(*reply, {})(readPicture(file));
        });
        QObject::connect(dialog, &QFileDialog::rejected, dialog, [reply] {
            if (*reply)
                std::exchange(*reply, {})(std::nullopt);
        });
        dialog->open();
    }
};

} // namespace

std::shared_ptr<PhotoPicker> PhotoPicker::fileDialog()
{
    return std::make_shared<FileDialogPicker>();
}

std::optional<QImage> PhotoPicker::readPicture(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

} // namespace tarnik
