#include "ui/Clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace ui {
namespace {

#ifndef Q_OS_WIN
QByteArray Encoded(const QImage& picture, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}
#endif

} // namespace

void ClearClipboard()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->clear(QClipboard::Clipboard);
}

void PlacePictureOnClipboard(const QImage& picture)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    auto* data = new QMimeData;
#ifdef Q_OS_WIN
    // Qt's Windows converter offers an image as CF_DIB, CF_DIBV5 and PNG.
    data->setImageData(picture);
#else
    // Set as plain formats: Qt's own image type would also offer JPEG, TIFF
    // and every other format it can write.
    data->setData(QStringLiteral("image/png"), Encoded(picture, "PNG"));
    data->setData(QStringLiteral("image/bmp"), Encoded(picture, "BMP"));
#endif
    clipboard->setMimeData(data, QClipboard::Clipboard); // the clipboard owns the data
}

} // namespace ui
