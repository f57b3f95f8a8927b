// The texts of the statistics page: how many codes were decoded and
// generated, and what they are worth at 0.004 yuan each.
#ifndef VOPA_STATISTICS_H
#define VOPA_STATISTICS_H

#include <QString>

namespace Statistics {

// "N 个".
QString countText(int count);
// "S * 0.004 = P元" for the sum S of the two counters, in 64 bits so that
// two large counters never wrap; P has six significant digits at most.
QString priceText(int created, int decoded);

} // namespace Statistics

#endif
