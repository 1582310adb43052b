#include "core/rounding.h"

#include <cmath>

namespace {

// Extended precision, so that k x 0.1 is rounded once, to the double nearest k / 10.
constexpr long double Tenth = 0.1L;
constexpr long double Hundredth = 0.01L;
constexpr long double Thousandth = 0.001L;

double Scaled(double x, double factor, long double inverse) {
    double product = x * factor; // rounded to a double before it is rounded to an integer
    return static_cast<double>(RoundHalfAway(product) * inverse);
}

} // namespace

std::int32_t RoundHalfAway(double x) {
    double shifted = x > 0 ? x + 0.5 : x - 0.5;
    if (!(shifted > -2147483649.0 && shifted < 2147483648.0)) return INT32_MIN;
    return static_cast<std::int32_t>(shifted);
}

double RoundTo1(double x) {
    return std::fabs(x) > 214748364 ? x : Scaled(x, 10, Tenth);
}

double RoundTo2(double x) {
    return std::fabs(x) > 21474836 ? RoundTo1(x) : Scaled(x, 100, Hundredth);
}

double RoundTo3(double x) {
    return std::fabs(x) > 2147483 ? RoundTo2(x) : Scaled(x, 1000, Thousandth);
}
