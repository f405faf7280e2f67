#include "widgets/Image.h"

#include <QPainter>

TImage::TImage(QWidget *parent) : QWidget(parent)
{
    FPicture.OnChange = [this] { PictureChanged(); };
}

void TImage::SetAutoSize(bool autoSize)
{
    FAutoSize = autoSize;
    PictureChanged();
}

void TImage::paintEvent(QPaintEvent *)
{
    if (const TGraphic *graphic = FPicture.Graphic(); graphic && !graphic->Empty()) {
        QPainter painter(this);
        painter.drawImage(0, 0, graphic->Image());
    }
}

void TImage::PictureChanged()
{
    const TGraphic *graphic = FPicture.Graphic();
    if (FAutoSize && graphic && !graphic->Empty())
        resize(graphic->Width(), graphic->Height());
    update();
}
