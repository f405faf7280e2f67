#pragma once

#include "widgets/Graphic.h"

#include <cstdint>
#include <memory>

// Icons on the clipboard: one memory block in the standard icon-file layout
// under the format IconFormatId, which is also a picture format (icon).

extern const uint32_t IconFormatId;

// Fills Icon from the clipboard when it holds an icon; otherwise does
// nothing.
void ReadIconFromClipboard(TIcon &Icon);

// The icon on the clipboard, none when there is no icon.
std::unique_ptr<TIcon> IconFromClipboard();
