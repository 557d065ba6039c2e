#pragma once

#include <QByteArray>

// Inverts the top bit of every byte. The same call scrambles and unscrambles; it keeps
// the SOCKS password in the settings and the passwords in queue files out of clear text.
QByteArray Scramble(const QByteArray& text);
