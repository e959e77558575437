#pragma once
// The program's colour scheme: tints skin images and colours with the tone
// and vividness the user picked. Tone 0 leaves everything as it is, the
// vividness included; otherwise every pixel goes through the colour tone
// filter and then the hue-saturation filter with hue 100 and saturation =
// vividness.
#include "image/skin_color_scheme.h"
#include "image/skin_color_settings.h"

class CSkinColorTone : public FCSkinColorScheme {
public:
    // settings must outlive the scheme; it is read at every call.
    explicit CSkinColorTone(const ISkinColorSettings& settings) : settings_(settings) {}

    std::uint32_t RecolourValue(std::uint32_t colour) const override;
    void RecolourImage(const FCImageView& image) const override;

private:
    const ISkinColorSettings& settings_;
};
