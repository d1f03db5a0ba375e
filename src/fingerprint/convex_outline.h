#pragma once
// The convex outline of a set of points: where a print has minutiae at all.
// The matcher counts only minutiae that lie where both prints have some.

#include <vector>

namespace fingerprint {

struct Point {
    double x;
    double y;
};

struct ConvexOutline {
    std::vector<Point> corners;  // in order round the outline
    // Per side: the unit normal pointing into the outline and its offset, so
    // that a point p lies inside when normal . p >= offset for every side.
    std::vector<Point> normals;
    std::vector<double> offsets;
};

ConvexOutline convexOutline(std::vector<Point> points);

// Whether p lies inside the outline or at most margin outside it. An outline
// of fewer than three corners holds nothing.
bool withinOutline(const ConvexOutline& outline, const Point& p, double margin);

}  // namespace fingerprint
