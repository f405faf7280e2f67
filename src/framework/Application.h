#pragma once

#include <QApplication>

// The application object. Every handler the program wires up runs inside
// Guard(); notify() is the last line of defence for anything raised in an
// event handler that is not, so that nothing escapes into Qt's dispatch.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
