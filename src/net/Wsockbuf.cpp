#include "Wsockbuf.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(int size) {
    SetBufSize(size);
}

void TBuffer::SetBufSize(int size) {
    if (size <= 0) size = 1514;
    if (size == m_bufSize) return;
    // A shrinking block keeps what fits of the bytes written.
    m_filled = std::min(m_filled, size);
    m_taken = std::min(m_taken, m_filled);
    m_buf.resize(size_t(size));
    m_bufSize = size;
}

int TBuffer::Write(const char* data, int len) {
    const int n = std::clamp(m_bufSize - m_filled, 0, std::max(len, 0));
    if (n > 0) std::memcpy(m_buf.data() + m_filled, data, size_t(n));
    m_filled += n;
    return n;
}

int TBuffer::Read(char* dest, int len) {
    const int n = std::clamp(m_filled - m_taken, 0, std::max(len, 0));
    if (n > 0) std::memcpy(dest, m_buf.data() + m_taken, size_t(n));
    m_taken += n;
    rewindWhenEmpty();
    return n;
}

const char* TBuffer::Peek(int& len) const {
    len = m_filled - m_taken;
    return len > 0 ? m_buf.data() + m_taken : nullptr;
}

int TBuffer::Remove(int n) {
    const int count = std::clamp(n, 0, m_filled - m_taken);
    m_taken += count;
    rewindWhenEmpty();
    return count;
}

void TBuffer::rewindWhenEmpty() {
    if (m_taken == m_filled) m_taken = m_filled = 0;
}
