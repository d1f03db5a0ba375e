#pragma once
// A rectangle of values, one per pixel, rows top first: images, masks, fields.

#include <cstddef>
#include <vector>

namespace fingerprint {

template <class T>
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<T> values;

    Plane() = default;
    Plane(int w, int h, T fill = T{})
        : width(w), height(h), values(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    T& at(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }
    const T& at(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
    T* row(int y) { return values.data() + static_cast<std::size_t>(y) * width; }
    const T* row(int y) const { return values.data() + static_cast<std::size_t>(y) * width; }
};

}  // namespace fingerprint
