#pragma once
// Where the colour scheme reads the user's tint. It is asked at every
// recolouring, so a change takes effect at the next one.
class ISkinColorSettings {
public:
    virtual ~ISkinColorSettings() = default;

    // A colour as 0x00BBGGRR; 0 means no tint.
    virtual int GetTone() const = 0;
    // 0..200, 100 being neutral.
    virtual int GetVividness() const = 0;
};
