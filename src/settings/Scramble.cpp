#include "Scramble.h"

QByteArray Scramble(const QByteArray& text) {
    QByteArray out = text;
    for (char& c : out)
        c = char(static_cast<unsigned char>(c) ^ 0x80);
    return out;
}
