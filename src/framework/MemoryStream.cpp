#include "framework/MemoryStream.h"

#include <algorithm>
#include <cstring>

void TMemoryStream::SetSize(int64_t size)
{
    size = std::max<int64_t>(size, 0);
    if (size > int64_t(FData.size()))
        FData.resize(size);
    FSize = size;
    FPosition = std::min(FPosition, FSize);
}

void TMemoryStream::SetPosition(int64_t position)
{
    FPosition = std::clamp<int64_t>(position, 0, FSize);
}

int64_t TMemoryStream::Read(void *buffer, int64_t count)
{
    const int64_t n = std::clamp<int64_t>(FSize - FPosition, 0, std::max<int64_t>(count, 0));
    if (n > 0)
        std::memcpy(buffer, FData.data() + FPosition, n);
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void *buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    if (FPosition + count > FSize)
        SetSize(FPosition + count);
    std::memcpy(FData.data() + FPosition, buffer, count);
    FPosition += count;
    return count;
}

void TMemoryStream::Clear()
{
    FData.clear();
    FData.shrink_to_fit();
    FSize = 0;
    FPosition = 0;
}
