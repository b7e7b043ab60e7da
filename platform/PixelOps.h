#pragma once

#include <QtGlobal>

// Arithmetic on premultiplied ARGB pixels shared by the drawing operations
// and the composition of a surface's layers.

// x * a / 255 for all four channels of a premultiplied pixel at once.
inline quint32 ByteMul(quint32 x, quint32 a) {
    quint32 t = (x & 0xff00ffu) * a;
    t = (t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8;
    t &= 0xff00ffu;
    x = ((x >> 8) & 0xff00ffu) * a;
    x = (x + ((x >> 8) & 0xff00ffu) + 0x800080u);
    x &= 0xff00ff00u;
    return x | t;
}

// Source-over of a premultiplied source scaled by coverage (0..255).
inline quint32 BlendOver(quint32 dst, quint32 src, quint32 coverage) {
    if (coverage != 255) src = ByteMul(src, coverage);
    return src + ByteMul(dst, 255u - (src >> 24));
}
