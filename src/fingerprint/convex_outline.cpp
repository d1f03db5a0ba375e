#include "fingerprint/convex_outline.h"

#include <algorithm>
#include <cmath>

namespace fingerprint {

namespace {

double cross(const Point& o, const Point& p, const Point& q) {
    return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
}

}  // namespace

ConvexOutline convexOutline(std::vector<Point> points) {
    ConvexOutline outline;
    std::sort(points.begin(), points.end(),
              [](const Point& p, const Point& q) { return p.x < q.x || (p.x == q.x && p.y < q.y); });
    if (points.size() < 3) return outline;
    // Monotone chain: lower half left to right, upper half back.
    std::vector<Point> corners(2 * points.size());
    std::size_t k = 0;
    for (const Point& p : points) {
        while (k >= 2 && cross(corners[k - 2], corners[k - 1], p) <= 0) --k;
        corners[k++] = p;
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i > 0; --i) {
        while (k >= lower && cross(corners[k - 2], corners[k - 1], points[i - 1]) <= 0) --k;
        corners[k++] = points[i - 1];
    }
    corners.resize(k - 1);
    if (corners.size() < 3) return outline;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Point& u = corners[i];
        const Point& v = corners[(i + 1) % corners.size()];
        const double length = std::hypot(v.x - u.x, v.y - u.y);
        const Point normal{-(v.y - u.y) / length, (v.x - u.x) / length};
        outline.normals.push_back(normal);
        outline.offsets.push_back(normal.x * u.x + normal.y * u.y);
    }
    outline.corners = std::move(corners);
    return outline;
}

bool withinOutline(const ConvexOutline& outline, const Point& p, double margin) {
    if (outline.corners.size() < 3) return false;
    for (std::size_t i = 0; i < outline.normals.size(); ++i) {
        if (outline.normals[i].x * p.x + outline.normals[i].y * p.y < outline.offsets[i] - margin) return false;
    }
    return true;
}

}  // namespace fingerprint
