#pragma once

#include "platform/beep/MessageBeep.h"

#include <QList>
#include <functional>

// Records every beep instead of playing it while it exists. `OnBeep`, when
// set, runs at each beep (to look at the program's state at that moment).
class BeepRecorder {
public:
    BeepRecorder()
        : FPrevious(SetBeepHandler([this](uint32_t kind) {
              Beeps.append(kind);
              if (OnBeep)
                  OnBeep(kind);
          }))
    {
    }
    ~BeepRecorder() { SetBeepHandler(FPrevious); }
    BeepRecorder(const BeepRecorder &) = delete;
    BeepRecorder &operator=(const BeepRecorder &) = delete;

    QList<uint32_t> Beeps;
    std::function<void(uint32_t kind)> OnBeep;

private:
    TBeepHandler FPrevious;
};
