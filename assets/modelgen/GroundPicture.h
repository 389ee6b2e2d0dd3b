#pragma once

#include <QImage>

// The default playground mat ("map/default.png"): 512 x 512 pixels, one per
// ground unit, light with a faint grid every 32 units, a border and a centre
// cross. No pixel is dark: every colour has r + g + b above 2.5 (of 3), so
// neither a path zone nor a line sensor finds a line on the bare mat, and a
// grey sensor reads a bright, known value (246 on the mat, 226 on a grid line).
QImage PaintGroundPicture();
