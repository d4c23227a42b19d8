/*
 * AdjustColour: a colour made brighter, more contrasted or more saturated around its luma.
 * The About box derives its link colour from the window colour with it. Colours are
 * 0x00BBGGRR values (red in the low byte). No Qt here, so the arithmetic is tested alone.
 */
#pragma once

#include <cstdint>

// The colour with brightness added to its luma, contrast (-1 ... 1) pulling that base towards
// white (positive) or black (negative), and each channel's distance from the luma scaled by
// saturation; channels are limited to 0 ... 255 and their fractions dropped.
std::uint32_t AdjustColour(std::uint32_t colour, double brightness, double contrast, double saturation);
