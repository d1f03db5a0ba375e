#pragma once
// Where each point of the frame finds the finger's skin, and how firmly that
// skin touches the glass: the finger's shift and turn, the plastic distortion
// of skin pressed and dragged on the glass (a rigid centre, the rim pushed and
// twisted), and an irregular contact area. Worked out on a coarse grid, since
// all of it is smooth, and interpolated in between.

#include <array>

#include "fingerprint/plane.h"
#include "simulator/master_print.h"

namespace simulator {

struct FingerPlacement {
    double rotation;        // radians, clockwise in the image
    double shiftX, shiftY;  // pixels
};

struct PlasticDistortion {
    double pushX, pushY;  // pixels the rim of the contact is dragged by
    double twist;         // radians the rim is turned by
    double rigidShare;    // share of the contact's size, from its centre, that does not move
    // Slow waves of uneven skin stretch, pixels at the contact's edge.
    double ripple, rippleAngleX, rippleAngleY, ripplePhaseX, ripplePhaseY;
};

struct ContactArea {
    double shiftX, shiftY;  // from the finger pad's centre, pixels
    double width, height;   // relative to the finger pad's half axes
    // The outline is no ellipse: its radius wavers by these shares, harmonics 2, 3 and 5.
    std::array<double, 3> wobble;
    std::array<double, 3> wobblePhase;
};

struct SkinPoint {
    float x, y;     // on the master print's canvas
    float contact;  // 0 off the glass .. 1 pressed fully
};

class SkinGrid {
public:
    SkinGrid(const MasterPrint& print, const FingerPlacement& placement, const PlasticDistortion& distortion,
             const ContactArea& contact, int width, int height);
    // The skin under frame pixel (x, y), 0 <= x < width, 0 <= y < height.
    SkinPoint at(int x, int y) const;

private:
    fingerprint::Plane<SkinPoint> grid_;
};

}  // namespace simulator
