#pragma once

#include "widgets/Picture.h"

#include <QWidget>

// Shows a picture at its natural size from the top left corner; with
// `AutoSize` the control takes the picture's size whenever it changes.
class TImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)

public:
    explicit TImage(QWidget *parent = nullptr);

    TPicture &Picture() { return FPicture; }
    const TPicture &Picture() const { return FPicture; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void PictureChanged();

    TPicture FPicture;
    bool FAutoSize = false;
};
