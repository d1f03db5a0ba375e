#pragma once
// The simulated device's fingers: how an impression of a finger looks on the
// sensor, the template the device makes from one, and how it compares them.

#include <cstddef>
#include <cstdint>
#include <vector>

// The finger number currently on the sensor.
int fingerOnSensor();

// A fresh impression of the finger: simulatedFrameSize grey bytes, top row first.
std::vector<std::uint8_t> takeImpression(int finger);

// The device's template of an impression.
std::vector<std::uint8_t> makeTemplate(const std::vector<std::uint8_t>& frame);

// Whether a template (of any bytes) describes the finger of the live impression.
bool templateMatchesFrame(const std::uint8_t* templ, std::size_t length,
                          const std::vector<std::uint8_t>& live);
