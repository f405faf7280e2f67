#include "widgets/LabeledEdit.h"

#include <QEvent>
#include <QLabel>

TLabeledEdit::TLabeledEdit(QWidget *parent) : QLineEdit(parent), FEditLabel(new QLabel(parent))
{
    FEditLabel->setBuddy(this);
    PlaceLabel();
}

TLabeledEdit::~TLabeledEdit()
{
    delete FEditLabel.data();
}

QString TLabeledEdit::LabelCaption() const
{
    return FEditLabel->text();
}

void TLabeledEdit::SetLabelCaption(const QString &caption)
{
    FEditLabel->setText(caption);
    FEditLabel->adjustSize();
    PlaceLabel();
}

void TLabeledEdit::SetLabelSpacing(int spacing)
{
    FLabelSpacing = spacing;
    PlaceLabel();
}

void TLabeledEdit::moveEvent(QMoveEvent *event)
{
    QLineEdit::moveEvent(event);
    PlaceLabel();
}

void TLabeledEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange && FEditLabel) {
        FEditLabel->setFont(font());
        FEditLabel->adjustSize();
        PlaceLabel();
    } else if (event->type() == QEvent::EnabledChange && FEditLabel) {
        FEditLabel->setEnabled(isEnabled());
    } else if (event->type() == QEvent::ParentChange && FEditLabel) {
        // The label stays beside the edit on its new parent.
        FEditLabel->setParent(parentWidget());
        PlaceLabel();
    }
}

void TLabeledEdit::showEvent(QShowEvent *event)
{
    QLineEdit::showEvent(event);
    if (FEditLabel)
        FEditLabel->show();
}

void TLabeledEdit::hideEvent(QHideEvent *event)
{
    QLineEdit::hideEvent(event);
    if (FEditLabel)
        FEditLabel->hide();
}

void TLabeledEdit::PlaceLabel()
{
    if (FEditLabel)
        FEditLabel->move(x(), y() - FEditLabel->height() - FLabelSpacing);
}
