#pragma once
// One touch of a virtual finger on the sensor glass, as a 500 dpi optical
// sensor sees it: where and how the finger lands (placement, turn, plastic
// distortion, an irregular and sometimes partial contact), how the skin prints
// (pressure, wet skin merging ridges, dry skin breaking them) and what the
// glass adds (uneven light, latent residue, dust, noise). Every touch differs.

#include <cstdint>
#include <vector>

#include "simulator/glass_surface.h"
#include "simulator/master_print.h"
#include "simulator/seeded_generator.h"
#include "simulator/skin_placement.h"

namespace simulator {

struct TouchConditions {
    FingerPlacement placement;
    PlasticDistortion distortion;
    ContactArea contact;
    double pressure;     // -1 light touch, thin ridges .. +1 heavy, thick ridges
    double moisture;     // -1 dry, ridges break up .. +1 wet, ridges merge
    double contrast;     // grey levels between valley and ridge
    double valleyShade;  // grey levels valleys in contact are darker than the empty glass
    double noise;        // deviation of sensor noise, grey levels
    int blurPasses;      // optics, and the smear of a wet or moving finger
    GlassConditions glass;
};

// Conditions of a fresh touch: mostly a finger placed near the middle, turned
// up to 15 degrees; some placed off-centre or touching with part of the pad,
// some turned up to 30 degrees; dry, normal and wet skin; a few bad captures.
TouchConditions drawTouchConditions(SeededGenerator& random);

// Makes a touch a poor one: a small, light, dry contact under heavy noise.
void spoilTouch(TouchConditions& touch, SeededGenerator& random);

// The frame the sensor delivers: width * height grey bytes, top row first,
// dark ridges on a light background.
std::vector<std::uint8_t> renderImpression(const MasterPrint& print, const TouchConditions& touch,
                                           SeededGenerator& random, int width, int height);

}  // namespace simulator
