#pragma once

#include <QPlainTextEdit>
#include <algorithm>

// A multi-line text field. Pasting inserts the clipboard text, cut to
// `MaxLength` characters in all when that is not 0.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString Text READ toPlainText WRITE setPlainText)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(bool ReadOnly READ isReadOnly WRITE setReadOnly)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)

public:
    explicit TMemo(QWidget *parent = nullptr);

    bool WordWrap() const { return lineWrapMode() != NoWrap; }
    void SetWordWrap(bool wrap) { setLineWrapMode(wrap ? WidgetWidth : NoWrap); }
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int length) { FMaxLength = std::max(length, 0); }

    // Pastes the system clipboard's text as the paste command does, without
    // asking Qt's clipboard; false when the clipboard holds text that could
    // not be read.
    bool PasteClipboard();

protected:
    void insertFromMimeData(const QMimeData *source) override;

private:
    void InsertText(QString text);

    int FMaxLength = 0;
};
