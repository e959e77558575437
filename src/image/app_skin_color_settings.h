#pragma once
// The tint as the settings store holds it. Header-only and reading fields
// only, so the image library needs no link to the store.
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
