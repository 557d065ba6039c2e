#pragma once

#include <QIcon>

// The program's icon: "1Quillon.ico" from the working folder when there is one, else
// the icon that comes with the program.
QIcon AppIcon();
