#pragma once

#include <QObject>
#include <array>
#include <functional>

// Size limits of a form's window; 0 means no limit. The tracking sizes are
// client sizes, like the rest of the window placement. Any change, and an
// assignment of a whole set, calls OnChange once.
class TWinMinMaxInfo : public QObject {
    Q_OBJECT
    Q_PROPERTY(int MaxPosLeft READ MaxPosLeft WRITE SetMaxPosLeft)
    Q_PROPERTY(int MaxPosTop READ MaxPosTop WRITE SetMaxPosTop)
    Q_PROPERTY(int MaxSizeHeight READ MaxSizeHeight WRITE SetMaxSizeHeight)
    Q_PROPERTY(int MaxSizeWidth READ MaxSizeWidth WRITE SetMaxSizeWidth)
    Q_PROPERTY(int MaxTrackHeight READ MaxTrackHeight WRITE SetMaxTrackHeight)
    Q_PROPERTY(int MaxTrackWidth READ MaxTrackWidth WRITE SetMaxTrackWidth)
    Q_PROPERTY(int MinTrackHeight READ MinTrackHeight WRITE SetMinTrackHeight)
    Q_PROPERTY(int MinTrackWidth READ MinTrackWidth WRITE SetMinTrackWidth)

public:
    explicit TWinMinMaxInfo(QObject *parent = nullptr) : QObject(parent) {}

    int MaxPosLeft() const { return FValues[0]; }
    int MaxPosTop() const { return FValues[1]; }
    int MaxSizeHeight() const { return FValues[2]; }
    int MaxSizeWidth() const { return FValues[3]; }
    int MaxTrackHeight() const { return FValues[4]; }
    int MaxTrackWidth() const { return FValues[5]; }
    int MinTrackHeight() const { return FValues[6]; }
    int MinTrackWidth() const { return FValues[7]; }
    void SetMaxPosLeft(int value) { Set(0, value); }
    void SetMaxPosTop(int value) { Set(1, value); }
    void SetMaxSizeHeight(int value) { Set(2, value); }
    void SetMaxSizeWidth(int value) { Set(3, value); }
    void SetMaxTrackHeight(int value) { Set(4, value); }
    void SetMaxTrackWidth(int value) { Set(5, value); }
    void SetMinTrackHeight(int value) { Set(6, value); }
    void SetMinTrackWidth(int value) { Set(7, value); }

    void Assign(const TWinMinMaxInfo &source);
    // All eight are 0.
    bool IsDefault() const;

    std::function<void()> OnChange;

private:
    void Set(int index, int value);

    std::array<int, 8> FValues{};
};
