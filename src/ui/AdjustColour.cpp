#include "ui/AdjustColour.h"

#include <algorithm>

std::uint32_t AdjustColour(std::uint32_t colour, double brightness, double contrast, double saturation)
{
    const double channels[3] = {double(colour & 0xFF), double((colour >> 8) & 0xFF), double((colour >> 16) & 0xFF)};
    const double luma = std::clamp(0.299 * channels[0] + 0.587 * channels[1] + 0.114 * channels[2], 0.0, 255.0);
    contrast = std::clamp(contrast, -1.0, 1.0);
    double base = luma + brightness;
    base += contrast > 0 ? (255 - base) * contrast : base * contrast;
    std::uint32_t result = 0;
    for (int i = 0; i < 3; ++i) {
        const double value = std::clamp(base + (channels[i] - luma) * saturation, 0.0, 255.0);
        result |= static_cast<std::uint32_t>(value) << (8 * i);
    }
    return result;
}
