// One block of a socket's send queue: a byte array with a fill mark and a send mark.
// 0 <= Taken <= Filled <= BufSize; once everything written has been taken both marks
// return to 0, so an emptied block is reused from its start.
#pragma once

#include <vector>

class TBuffer {
public:
    explicit TBuffer(int size);

    void SetBufSize(int size);
    int BufSize() const { return m_bufSize; }
    int Filled() const { return m_filled; }
    int Taken() const { return m_taken; }

    // Copies as much as fits; returns the count (0 when full).
    int Write(const char* data, int len);
    // Copies up to len unsent bytes and marks them sent; returns the count.
    int Read(char* dest, int len);
    // The first unsent byte and the number of unsent bytes, or null and 0.
    const char* Peek(int& len) const;
    // Marks up to n bytes as sent; returns the count.
    int Remove(int n);

private:
    void rewindWhenEmpty();

    std::vector<char> m_buf;
    int m_bufSize = 0;
    int m_filled = 0;
    int m_taken = 0;
};
