#include "db/InitialLayout.h"

namespace palomex {

namespace {

struct Place {
    double left, top, width, height; // label millimetres
};

// Elements 0 to 19; every one of them lies inside the outline of the large format.
constexpr Place kPlaces[] = {
    {16.9, 1.1, 34.3, 16.1},   {55.0, 1.1, 34.3, 16.1},   {55.0, 80.4, 34.3, 11.0},
    {4.2, 30.4, 34.3, 11.0},   {55.0, 30.4, 34.3, 11.0},  {4.2, 44.0, 34.3, 11.0},
    {55.0, 44.0, 34.3, 11.0},  {4.2, 55.0, 34.3, 11.0},   {55.0, 55.0, 34.3, 11.0},
    {4.2, 67.7, 34.3, 11.0},   {55.0, 67.7, 34.3, 11.0},  {4.2, 80.4, 34.3, 11.0},
    {2.1, 93.1, 30.1, 11.0},   {35.1, 93.1, 30.1, 11.0},  {68.6, 93.1, 30.1, 11.0},
    {4.2, 118.5, 5.5, 19.5},   {3.4, 16.9, 72.4, 11.0},   {10.0, 110.1, 72.4, 30.1},
    {10.0, 143.9, 72.4, 30.1}, {14.0, 182.0, 72.4, 34.3},
};

void put(LayoutElement& e, const Place& p) {
    e.left = p.left / 2;
    e.top = p.top / 2;
    e.width = p.width / 2;
    e.height = p.height / 2;
}

} // namespace

void applyInitialLayout(Label& label) {
    int i = 0;
    for (const Place& p : kPlaces)
        put(label.elements[i++], p);
    // The lines start off the outline, one step apart, until the user places them.
    for (int k = 0; k < 6; ++k)
        put(label.elements[element::FirstHorizontalLine + k],
            {114.3 + 4.2 * k, 220.1 + 4.2 * k, k == 5 ? 89.3 : 93.5, 1.7});
    for (int k = 0; k < 4; ++k)
        put(label.elements[element::FirstVerticalLine + k],
            {207.4 + 4.2 * k, 186.2 + 4.2 * k, 1.7, 30.1});
}

} // namespace palomex
