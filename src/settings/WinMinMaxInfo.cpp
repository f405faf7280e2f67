#include "settings/WinMinMaxInfo.h"

#include <algorithm>

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo &source)
{
    FValues = source.FValues;
    if (OnChange)
        OnChange();
}

bool TWinMinMaxInfo::IsDefault() const
{
    return std::all_of(FValues.begin(), FValues.end(), [](int value) { return value == 0; });
}

void TWinMinMaxInfo::Set(int index, int value)
{
    if (FValues[index] == value)
        return;
    FValues[index] = value;
    if (OnChange)
        OnChange();
}
