#pragma once

#include <string>
#include <string_view>
#include <vector>

// The percent-decoded values of a form body's "template..." fields, in body
// order. Fields are split at "&" and at their first "="; keys must begin with
// the eight letters "template" (case-sensitive) and are not decoded. Fields
// without "=" and with other keys are skipped; "+" is never a space.
std::vector<std::string> extractTemplateValues(std::string_view body);

// How many "template..." fields the body holds, empty values included,
// without decoding any.
std::size_t countTemplateFields(std::string_view body);
