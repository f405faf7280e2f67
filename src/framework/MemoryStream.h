#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

// A growable in-memory byte stream. Shrinking keeps the storage, so a stream
// reused for data of varying size allocates only when it has to grow.
class TMemoryStream {
public:
    int64_t Size() const { return FSize; }
    void SetSize(int64_t size);
    int64_t Position() const { return FPosition; }
    void SetPosition(int64_t position);

    char *Memory() { return FData.data(); }
    const char *Memory() const { return FData.data(); }

    // Reads up to count bytes from the position; returns the number read.
    int64_t Read(void *buffer, int64_t count);
    // Writes at the position, growing the stream as needed.
    int64_t Write(const void *buffer, int64_t count);
    void Clear();

    // A copy of the whole contents.
    QByteArray Bytes() const { return QByteArray(FData.data(), FSize); }

private:
    std::vector<char> FData;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};
