#pragma once
// One touch of a virtual finger on the sensor glass: where and how the finger
// lands (placement, rotation, skin stretch, pressure, moisture, contact area)
// and the grey frame the sensor sees. Every touch differs.

#include <cstdint>
#include <vector>

#include "scanner/simulator/master_print.h"
#include "scanner/simulator/random_source.h"

struct TouchConditions {
    double rotation;        // radians, clockwise in the image
    double shiftX, shiftY;  // pixels
    // Skin stretch: smooth displacement that grows away from the contact centre.
    double stretch;                        // pixels at the contact edge
    double stretchAngleX, stretchAngleY;   // directions of the two stretch waves
    double stretchPhaseX, stretchPhaseY;
    double pressure;        // -1 light touch, thin ridges .. +1 heavy, thick ridges
    double contrast;        // grey levels between valley and ridge
    double paper;           // grey level of the empty glass
    double noise;           // deviation of sensor noise, grey levels
    double dryness;         // how much dry skin breaks ridges
    // The contact ellipse, relative to the finger pad's own ellipse.
    double contactShiftX, contactShiftY, contactWidth, contactHeight;
};

// Conditions of a fresh touch: shifts up to about 40 pixels, rotations up to about 15 degrees.
TouchConditions drawTouchConditions(RandomSource& random);

// Makes a touch a poor one: a small, light, dry contact under heavy noise.
void spoilTouch(TouchConditions& touch, RandomSource& random);

// The frame the sensor delivers: width * height grey bytes, top row first,
// dark ridges on a light background.
std::vector<std::uint8_t> renderImpression(const MasterPrint& print, const TouchConditions& touch,
                                           RandomSource& random, int width, int height);
