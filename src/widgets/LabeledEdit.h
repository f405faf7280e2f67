#pragma once

#include <QLineEdit>
#include <QPointer>

#include <QLabel>

// An edit with a caption label above it. The label is a sibling on the same
// parent and follows the edit whenever it moves, keeping `LabelSpacing`
// pixels between the label's bottom and the edit's top.
class TLabeledEdit : public QLineEdit {
    Q_OBJECT
    // Published under the component framework's names: stored settings are
    // named after them ("leKVIP_Text").
    Q_PROPERTY(QString Text READ text WRITE setText USER true)
    Q_PROPERTY(QString LabelCaption READ LabelCaption WRITE SetLabelCaption)
    Q_PROPERTY(int LabelSpacing READ LabelSpacing WRITE SetLabelSpacing)

public:
    explicit TLabeledEdit(QWidget *parent = nullptr);
    ~TLabeledEdit() override;

    QLabel *EditLabel() const { return FEditLabel; }
    QString LabelCaption() const;
    void SetLabelCaption(const QString &caption);
    int LabelSpacing() const { return FLabelSpacing; }
    void SetLabelSpacing(int spacing);

protected:
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void PlaceLabel();

    QPointer<QLabel> FEditLabel;
    int FLabelSpacing = 3;
};
