#pragma once
// The tint as the settings store holds it, for the image filters, which
// know only ISkinColorSettings.
#include "image/skin_color_settings.h"
#include "shell/settings/app_setting.h"

class CAppSkinColorSettings final : public ISkinColorSettings {
public:
    explicit CAppSkinColorSettings(const CAppSetting& setting) : setting_(setting) {}

    int GetTone() const override { return setting_.skinColorTone; }
    int GetVividness() const override { return setting_.skinSaturation; }

private:
    const CAppSetting& setting_;
};
