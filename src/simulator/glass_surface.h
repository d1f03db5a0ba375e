#pragma once
// The sensor glass as the camera sees it without the finger: light that falls
// off unevenly across the frame, faint latent ridges left by earlier touches,
// and grains of dust.

#include "fingerprint/plane.h"
#include "simulator/master_print.h"
#include "simulator/seeded_generator.h"

namespace simulator {

struct GlassConditions {
    double paper;         // grey level of the brightest empty glass
    double shading;       // grey levels the light falls off by across the frame
    double shadingAngle;  // radians: the direction it falls off towards
    double residue;       // grey levels of latent ridges from earlier touches; 0 for clean glass
    double residueTurn, residueShiftX, residueShiftY;  // where those touches lay
    int dustGrains;       // grains of dust on the glass
};

// Grey levels, width x height. The latent ridges are drawn from the master
// print's ridges laid elsewhere: another part of a finger.
fingerprint::Plane<float> glassImage(const MasterPrint& print, const GlassConditions& glass, SeededGenerator& random,
                                     int width, int height);

}  // namespace simulator
