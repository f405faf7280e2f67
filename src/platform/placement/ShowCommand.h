#pragma once

#include <cstdint>

class QWidget;

namespace Wnd {
// Acts on the show command of a window placement through Qt: 0 hides a
// shown window and otherwise changes nothing, 2, 6 and 7 minimise (to the
// maximised state with WPF_RESTORETOMAXIMIZED in flags, or when the window
// is maximised now), 3 maximises, 5 and 8 only show, the others show the
// window normal.
void ApplyShowCommand(QWidget *window, uint32_t showCmd, uint32_t flags);
} // namespace Wnd
